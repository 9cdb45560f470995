#include "zr_queues.h"

#include "shared_files.h"

#include <cups/cups.h>

#include <cstring>

namespace {


const char *zrUriOf(const cups_dest_t &dest)
{
    if (dest.name == nullptr)
        return nullptr;
    const char *uri = cupsGetOption("device-uri", dest.num_options, dest.options);
    if (uri == nullptr || std::strstr(uri, kDeviceUriPrefix) == nullptr)
        return nullptr;
    return uri;
}

} // namespace

QVector<ZrQueue> listZrQueues()
{
    QVector<ZrQueue> queues;
    cups_dest_t *dests = nullptr;
    const int count = cupsGetDests(&dests);
    for (int i = 0; i < count; ++i) {
        if (const char *uri = zrUriOf(dests[i]))
            queues.push_back({QString::fromUtf8(dests[i].name), QString::fromUtf8(uri)});
    }
    cupsFreeDests(count, dests);
    return queues;
}

void QueueLister::list()
{
    emit listed(listZrQueues());
}

QString serialOfUri(const QString &uri, bool *found)
{
    const QString marker = QStringLiteral("serial=");
    const int at = uri.indexOf(marker);
    *found = at >= 0;
    if (at < 0)
        return QString();
    return uri.mid(at + marker.size());
}
