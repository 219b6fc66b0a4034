// CUpdateTab: whether the program looks for a new version when it starts
// ("UpdateConfig"/"StartUpCheckNew").
#pragma once

#include "RadioTab.h"

class CUpdateTab : public CRadioTab {
    Q_OBJECT
public:
    explicit CUpdateTab(QWidget* parent = nullptr); // reads the setting
};
