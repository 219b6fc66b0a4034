// Helpers for driving the certificate dialogs by control id, as a person would: typing into
// fields and clicking buttons.
#pragma once

#include "RecordingPrompt.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include <string>

namespace yxtest {

// The control with this id (its objectName); the test fails loudly when it is missing.
template <class T = QWidget> T* control(QWidget* dialog, int id) {
    T* w = dialog->findChild<T*>(QString::number(id));
    if (!w)
        qFatal("control %d missing in dialog %s", id, qPrintable(dialog->objectName()));
    return w;
}

inline QString textOf(QWidget* dialog, int id) {
    return control<QLineEdit>(dialog, id)->text();
}

// Replaces a field's text as typing would (key clicks cannot carry Chinese, so the text is
// inserted at the cursor the way an input method commits it).
inline void typeInto(QWidget* dialog, int id, const QString& text) {
    QLineEdit* edit = control<QLineEdit>(dialog, id);
    edit->setFocus();
    edit->selectAll();
    edit->del();
    edit->insert(text);
}

inline void clickId(QWidget* dialog, int id) {
    QAbstractButton* button = control<QAbstractButton>(dialog, id);
    QVERIFY2(button->isEnabled(), qPrintable(QStringLiteral("button %1 disabled").arg(id)));
    QTest::mouseClick(button, Qt::LeftButton);
}

inline QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// The one message shown since the prompt was last cleared, compared in full.
#define YX_EXPECT_ONE_MESSAGE(prompt, text_, caption_, icon_, buttons_)                                      \
    do {                                                                                                     \
        QCOMPARE((prompt).messages.size(), size_t(1));                                                       \
        QCOMPARE(yxtest::q((prompt).messages[0].text), QStringLiteral(text_));                               \
        QCOMPARE(yxtest::q((prompt).messages[0].caption), QStringLiteral(caption_));                         \
        QVERIFY((prompt).messages[0].icon == (icon_));                                                       \
        QVERIFY((prompt).messages[0].buttons == (buttons_));                                                 \
    } while (0)

} // namespace yxtest
