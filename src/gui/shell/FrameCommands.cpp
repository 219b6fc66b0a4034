#include "FrameCommands.h"

#include "MainFrame.h"
#include "ResourceIds.h"
#include "certfiles/DlgChangeBackupPassword.h"
#include "config/ConfigDialog.h"
#include "pages/Page.h"
#include "update/UpdateController.h"

namespace yx {

void installFrameCommands(MainFrame& frame) {
    frame.setCommandHandler(res::ID_CONFIG, [&frame] {
        // A new default site takes effect at once: the lifecycle page goes to it.
        if (RunConfigDialog(CConfigDialog::UpdateTab, &frame) == QDialog::Accepted) {
            if (Page* lifecycle = frame.page(kPageLifecycle))
                lifecycle->onCommand(res::ID_BROWSER_HOME);
        }
    });
    frame.setCommandHandler(res::ID_CHANGE_BACKUP_PASSWORD, [&frame] {
        CDlgChangeBackupPassword dialog(&frame);
        dialog.exec();
    });
    installUpdateCommands(frame);
}

} // namespace yx
