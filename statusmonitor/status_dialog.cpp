#include "status_dialog.h"

#include "control_files.h"
#include "status_dialog_form.h"
#include "status_monitor.h"
#include "status_tables.h"
#include "worker_thread.h"
#include "zr_queues.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QThread>

namespace {

constexpr int kPollPeriodMs = 500;
const QString kNone = QStringLiteral("---");

QString trKey(const QString &key)
{
    return QCoreApplication::translate("StatusDialog", key.toLatin1().constData());
}

QString value(const QMap<QString, QString> &map, const char *key)
{
    return map.value(QString::fromLatin1(key));
}

} // namespace

StatusDialog::StatusDialog(QWidget *parent)
    : QDialog(parent, Qt::WindowFlags()), ui(new Ui_StatusDialog), monitorThread(nullptr),
      monitor(nullptr), threadRunning(false), versionDialog(nullptr), statusScene(nullptr)
{
    ui->setupUi(this);

    ui->printerComboBox->installEventFilter(this);
    connect(ui->printerComboBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &StatusDialog::comboBox_indexChanged);
    ui->printerComboBox->setFocus(Qt::OtherFocusReason);
    connect(ui->updateButton, &QPushButton::clicked, this, &StatusDialog::push_update);
    connect(ui->versionButton, &QPushButton::clicked, this, &StatusDialog::push_version);

    ui->printerlabel->setText(tr("select_printer"));
    ui->statusGroupBox->setTitle(QString());
    ui->mediaGroupBox->setTitle(QString());
    ui->serialGroupBox->setTitle(QString());
    ui->totalCountGroupBox->setTitle(QString());
    ui->label_StatusGroup->setText(tr("statusGroupBox"));
    ui->label_MediaGroup->setText(tr("mediaGroupTitle"));
    ui->label_Serial->setText(tr("serialNoGroupBox"));
    ui->label_FWGroup->setText(tr("fwGroupBox"));
    ui->label_TCGroup->setText(tr("tcGroupBox"));
    ui->updateButton->setText(tr("updateButton"));
    ui->versionButton->setText(tr("About"));

    setUIOffline();
    lastTotalCount.clear();
    utilFilePath.clear();

    qRegisterMetaType<QVector<ZrQueue>>("QVector<ZrQueue>");
    lister = new QueueLister;
    lister->moveToThread(&listerThread);
    connect(this, &StatusDialog::queuesWanted, lister, &QueueLister::list);
    connect(lister, &QueueLister::listed, this, &StatusDialog::queuesListed);
    listerThread.start();
    // The first entry of the answer becomes current and starts the watch.
    askForQueues(true);
}

StatusDialog::~StatusDialog()
{
    listerThread.quit();
    listerThread.wait();
    delete lister;
    threadQuit();
    delete ui;
    delete statusScene;
    removeControlFile(utilFilePath);
}

void StatusDialog::comboBox_indexChanged(int i)
{
    const QString oldSerial = currentSerial;
    threadQuit();

    if (i == -1) {
        if (!isRegisterPrinter())
            setUIOffline();
        return;
    }

    const QString uri = printerMap.value(ui->printerComboBox->itemText(i));
    QString infoPath;
    if (!uri.isEmpty()) {
        bool found = false;
        const QString serial = serialOfUri(uri, &found);
        if (!found) {
            currentSerial.clear();
        } else if (!serial.isEmpty()) {
            currentSerial = serial;
            infoPath = infoFilePath(serial);
        }
    }

    if (oldSerial.isEmpty() && currentSerial.isEmpty()) {
        setUIOffline();
        return;
    }
    if (oldSerial != currentSerial)
        switchWatchFile(oldSerial);

    if (infoPath.isEmpty())
        setUIOffline();
    else
        threadStart(infoPath);
}

void StatusDialog::switchWatchFile(const QString &oldSerial)
{
    if (!oldSerial.isEmpty()) {
        lastTotalCount.clear();
        removeControlFile(watchFilePath(oldSerial));
    }
    const QString path = watchFilePath(currentSerial);
    if (createControlFile(path))
        utilFilePath = path;
}

void StatusDialog::threadStart(QString filePath)
{
    monitor = new StatusMonitor(filePath, kPollPeriodMs, nullptr);
    monitorThread = new QThread(nullptr);
    connect(monitor, &StatusMonitor::statusNotification, this, &StatusDialog::upDateStatus);
    startWorkerThread(monitor, monitorThread);
    threadRunning = true;
}

void StatusDialog::threadQuit()
{
    if (!threadRunning)
        return;
    threadRunning = false;
    // Waits for a tick under way; the worker is destroyed in its own thread.
    stopWorkerThread(monitorThread);
    monitorThread = nullptr;
    monitor = nullptr;
    // Readings the stopped worker queued before it ended belong to the
    // printer no longer shown.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
}

void StatusDialog::upDateStatus(QMap<QString, QString> map)
{
    // Whether a ZR queue is left is looked at again with every reading.
    askForQueues(false);
    QString sizeText = getMediaSizeString(value(map, "MEDIA_SIZE"));
    const bool mediaUnknown = sizeText.isEmpty();
    if (mediaUnknown)
        sizeText = kNone;

    QString message = getStatusMessageString(value(map, "PRINTER_MESSAGE"));
    QString serial = value(map, "PRINTER_SERIAL_NO");
    if (serial.isEmpty())
        serial = kNone;

    const QString statusValue = value(map, "PRINTER_STATUS");
    const int status = statusCodeOf(statusValue);
    bool hideRemaining = status == kOfflineStatus || status == kRibbonEndStatus;
    if (!statusValue.isEmpty() && mediaUnknown && warnsOfUnknownMedia(status)) {
        message += QLatin1Char('\n') + tr("ms_00108");
        hideRemaining = true;
    }
    const StatusLook look = statusLookFor(status);

    int percent = 0;
    const QString detail =
        sheetsDetail(value(map, "MEDIA_INITIAL"), value(map, "MEDIA_REMAIN"), hideRemaining, &percent);

    QString totalCount = value(map, "TOTAL_COUNT");
    if (totalCount.isEmpty())
        totalCount = kNone;
    QString version = value(map, "PRINTER_VERSION");
    if (version.isEmpty())
        version = kNone;

    if (status == kOfflineStatus) {
        setUIOffline();
        return;
    }
    if (totalCount != kNone) {
        bool ok = false;
        const int count = totalCount.toInt(&ok, 10);
        totalCount = ok ? QString::number(count) : kNone;
    }
    setUiParam(sizeText, detail, percent, look.picture, trKey(look.textKey), message, serial,
               totalCount, version);
}

QString StatusDialog::sheetsDetail(const QString &initial, const QString &remain, bool hideRemaining,
                                   int *percent)
{
    const QString unknown = QStringLiteral("--- / ---  ") + tr("sheets");
    *percent = 0;
    if (initial.isEmpty() || remain.isEmpty())
        return unknown;
    const int initialCount = initial.toInt(nullptr, 10);
    const int shown = hideRemaining ? 0 : remain.toInt(nullptr, 10);
    if (initialCount == 0)
        return unknown;
    const float share = static_cast<float>(shown) / static_cast<float>(initialCount) * 100.0f;
    // A remaining count above the roll size, or a negative one, would leave
    // the bar at its previous value (QProgressBar ignores values out of range).
    *percent = qBound(0, static_cast<int>(share), 100);
    return QStringLiteral("%1 / %2  ").arg(shown).arg(initialCount) + tr("sheets");
}

void StatusDialog::setUiParam(QString mediaSize, QString mediaDetails, int percent, QString picture,
                              QString statusText, QString message, QString serial,
                              QString totalCount, QString version)
{
    if (totalCount != kNone)
        lastTotalCount = totalCount;
    ui->label_MediaSize->setText(mediaSize);
    ui->label_MediaSizeDetails->setText(mediaDetails);
    ui->progressBar->setValue(percent);
    ui->label_Status->setText(statusText);
    ui->label_StatusMessage->setText(message);
    showPicture(picture);
    ui->label_SerialValue->setText(serial);
    ui->label_FWValue->setText(version);
    ui->label_TCValue->setText(lastTotalCount.isEmpty() ? totalCount : lastTotalCount);
    if (!isRegisterPrinter())
        ui->label_TCValue->setText(kNone);
}

void StatusDialog::showPicture(const QString &picture)
{
    const QPixmap pixmap(picture);
    delete statusScene;
    statusScene = new QGraphicsScene(nullptr);
    statusScene->addPixmap(pixmap.scaled(80, 80, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    ui->graphicsView->setScene(statusScene);
}

void StatusDialog::setUIOffline()
{
    ui->label_MediaSize->setText(kNone);
    ui->label_MediaSizeDetails->setText(QStringLiteral("--- / ---  ") + tr("sheets"));
    ui->progressBar->setValue(0);
    ui->label_Status->setText(tr("st_99999"));
    ui->label_StatusMessage->setText(tr("ms_00006"));
    showPicture(QString::fromLatin1(kOfflinePicture));
    ui->label_SerialValue->setText(kNone);
    ui->label_FWValue->setText(kNone);
    ui->label_TCValue->setText(kNone);
}

void StatusDialog::push_update()
{
    if (!currentSerial.isEmpty())
        createControlFile(totalCountRequestPath(currentSerial));
}

void StatusDialog::push_version()
{
    // Centred the first time only; afterwards it stays where the user put it.
    if (!versionPlaced) {
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        versionDialog.setGeometry(
            QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, versionDialog.size(), area));
        versionPlaced = true;
    }
    versionDialog.show();
}

QString StatusDialog::getStatusMessageString(QString code)
{
    const QString key = messageKeyFor(code);
    return key.isEmpty() ? QString() : trKey(key);
}

QString StatusDialog::getMediaSizeString(QString code)
{
    const QString key = mediaSizeKeyFor(code);
    return key.isEmpty() ? QString() : trKey(key);
}

bool StatusDialog::isRegisterPrinter()
{
    return hasQueue;
}

// One question to CUPS at a time. The list is refilled only from an answer
// to a question asked after the wish: the one under way may predate it.
void StatusDialog::askForQueues(bool fillList)
{
    if (asking) {
        askAgain = askAgain || fillList;
        return;
    }
    fillListOnAnswer = fillListOnAnswer || fillList;
    asking = true;
    emit queuesWanted();
}

void StatusDialog::queuesListed(QVector<ZrQueue> queues)
{
    asking = false;
    hasQueue = !queues.isEmpty();
    if (askAgain) {
        askAgain = false;
        askForQueues(true);
        return;
    }
    if (!fillListOnAnswer)
        return;
    fillListOnAnswer = false;
    ui->printerComboBox->clear();
    printerMap.clear();
    // A queue with instances is listed once; the selection starts again on
    // the first entry, whose watch begins with it.
    for (const ZrQueue &queue : queues) {
        const bool listed = printerMap.contains(queue.name);
        printerMap.insert(queue.name, queue.deviceUri);
        if (!listed)
            ui->printerComboBox->addItem(queue.name);
    }
    emit printerListShown();
}

bool StatusDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->printerComboBox &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress))
        askForQueues(true);
    return QDialog::eventFilter(watched, event);
}
