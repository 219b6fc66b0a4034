// CCrlTab: whether the revocation check of every certificate list load goes online
// ("Common"/"SartOnlineCRLCheck").
#pragma once

#include "RadioTab.h"

class CCrlTab : public CRadioTab {
    Q_OBJECT
public:
    explicit CCrlTab(QWidget* parent = nullptr); // reads the setting
};
