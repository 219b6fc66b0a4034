#include "RaSiteDialog.h"

#include "ConfigDialogIds.h"
#include "dialogs/DialogKit.h"

#include "RaSiteList.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QValidator>

using namespace yx;
using namespace yx::dlgkit;

namespace {

// Takes no more text than the site list can store and read back (counted in GBK bytes): an
// edit that would make the field longer is refused.
class StoredLengthLimit : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return CRaSiteList::Fits(utf8(input)) ? Acceptable : Invalid;
    }
};

} // namespace

CRaSiteDialog::CRaSiteDialog(const QString& caption, const QString& url, const QString& name, QWidget* parent)
    : QDialog(parent), m_url(url), m_name(name) {
    setObjectName(QString::number(res::IDD_RA_SITE));
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_urlEdit = withId(new QLineEdit(url, this), res::IDC_RA_SITE_URL);
    m_nameEdit = withId(new QLineEdit(name, this), res::IDC_RA_SITE_NAME);
    m_urlEdit->setPlaceholderText(QStringLiteral("https://"));
    for (QLineEdit* edit : {m_urlEdit, m_nameEdit})
        edit->setValidator(new StoredLengthLimit(edit));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("蓝岸注册网站"), m_urlEdit);
    form->addRow(QStringLiteral("名  称"), m_nameEdit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancelButtons(this, QStringLiteral("确定")));
    setTabOrder(m_urlEdit, m_nameEdit);
    m_urlEdit->setFocus();
    fitDialog(this, 28);
}

void CRaSiteDialog::accept() {
    m_url = m_urlEdit->text();
    m_name = m_nameEdit->text();
    QDialog::accept();
}
