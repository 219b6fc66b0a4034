// A configuration tab holding one pair of radio buttons: index 0 switches a start-up behaviour
// on, index 1 off. The tab reads its setting when it is made and hands the index to the
// configuration dialog, which writes it at OK.
#pragma once

#include <QWidget>

class QRadioButton;

class CRadioTab : public QWidget {
    Q_OBJECT
public:
    // The index taken over from the buttons by readControls() (-1 before, or none checked).
    int radioIndex() const { return m_index; }
    // Checks the button of an index and takes it as the data.
    void setRadioIndex(int index);
    // Takes the checked button over into the data.
    void readControls();
    // What the setting gets for the current data: "1" for index 0, otherwise "0".
    const char* settingText() const { return m_index == 0 ? "1" : "0"; }

protected:
    CRadioTab(int dialogId, int firstId, const QString& firstText, int secondId, const QString& secondText,
              QWidget* parent);

private:
    int m_index = -1;
    QRadioButton* m_first;
    QRadioButton* m_second;
};
