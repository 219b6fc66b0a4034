#include "UpdateTab.h"

#include "ConfigDialogIds.h"
#include "Settings.h"

using namespace yx;

CUpdateTab::CUpdateTab(QWidget* parent)
    : CRadioTab(res::IDD_UPDATE_TAB, res::IDC_UPDATE_CHECK_ON, QStringLiteral("钥匣启动时启用更新检查"),
                res::IDC_UPDATE_CHECK_OFF, QStringLiteral("钥匣启动时不启用更新检查"), parent) {
    setRadioIndex(settings::isOn(settings::GetProfileString("UpdateConfig", "StartUpCheckNew", "")) ? 0 : 1);
}
