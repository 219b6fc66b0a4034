#include "CrlTab.h"

#include "ConfigDialogIds.h"
#include "Settings.h"

using namespace yx;

CCrlTab::CCrlTab(QWidget* parent)
    : CRadioTab(res::IDD_CRL_TAB, res::IDC_CRL_ONLINE, QStringLiteral("钥匣启动时在线检查吊销列表"),
                res::IDC_CRL_OFFLINE, QStringLiteral("钥匣启动时不在线检查吊销列表"), parent) {
    setRadioIndex(settings::isOn(settings::GetProfileString("Common", "SartOnlineCRLCheck", "0")) ? 0 : 1);
}
