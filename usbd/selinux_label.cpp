#include "selinux_label.h"

#include <selinux/context.h>
#include <selinux/selinux.h>

bool SelinuxEnforcing()
{
    return is_selinux_enabled() > 0 && security_getenforce() == 1;
}

bool LabelForCups(int fd)
{
    char* current = nullptr;
    if (fgetfilecon(fd, &current) < 0)
        return false;
    bool ok = false;
    context_t context = context_new(current);
    if (context != nullptr) {
        if (context_type_set(context, "cupsd_tmp_t") == 0) {
            const char* wanted = context_str(context);
            ok = wanted != nullptr && fsetfilecon(fd, wanted) == 0;
        }
        context_free(context);
    }
    freecon(current);
    return ok;
}
