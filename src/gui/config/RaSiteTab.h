// CRaSiteTab: the registration-authority web sites and which of them is the default. The site
// list is read from the settings when the tab is made; sites added or changed here are written
// only by the configuration dialog's OK.
#pragma once

#include "RaSiteList.h"

#include <QWidget>

#include <string>

class QComboBox;

class CRaSiteTab : public QWidget {
    Q_OBJECT
public:
    explicit CRaSiteTab(QWidget* parent = nullptr);

    // Takes the combo box's selection over into the data.
    void readControls();
    int selectedIndex() const { return m_selected; }

    // What "ServiceURL"/"Default" gets: the key of the selected site; with no selection the
    // default key as it was read, so that a stored default is never lost by an OK.
    std::string defaultKeyToWrite() const;

    CRaSiteList& sites() { return m_sites; }
    const CRaSiteList& sites() const { return m_sites; }

    // "添加..." and "修改...".
    void addSite();
    void modifySite();

private:
    void fillCombo();

    CRaSiteList m_sites;
    int m_selected = -1;
    QComboBox* m_combo;
};
