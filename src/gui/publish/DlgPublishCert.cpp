#include "DlgPublishCert.h"

#include "dialogs/DialogKit.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace yx::dlgkit;
using yx::nss::DbFormat;
using yx::nss::Placement;
namespace res = yx::res;

CDlgPublishCert::CDlgPublishCert(Mode mode, const QString& certName, std::vector<Row> rows, bool askTrust,
                                 QWidget* parent)
    : QDialog(parent), m_mode(mode), m_rows(std::move(rows)) {
    setObjectName(QString::number(IDD));
    const bool publish = mode == Mode::Publish;
    setWindowTitle(publish ? QStringLiteral("发布证书") : QStringLiteral("撤回证书"));

    auto* note =
        withId(new QLabel(publish ? QStringLiteral("把“%1”发布到所选程序的证书库，这些程序就能使用它：")
                                  : QStringLiteral("从所选程序的证书库撤回“%1”（只能撤回本程序发布的）："),
                          this),
               res::IDC_PUBLISH_NOTE);
    note->setText(note->text().arg(certName));
    note->setWordWrap(true);

    m_list = withId(new QTreeWidget(this), res::IDC_PUBLISH_DATABASES);
    m_list->setHeaderLabels({QStringLiteral("程序"), QStringLiteral("配置文件"), QStringLiteral("发布情况")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    for (const Row& row : m_rows) {
        auto* item =
            new QTreeWidgetItem(m_list, {qstr(row.db.program), qstr(row.db.profile), stateText(row)});
        item->setToolTip(0, qstr(row.db.dir));
        item->setToolTip(1, qstr(row.db.dir));
        if (selectable(mode, row)) {
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            item->setCheckState(0, Qt::Unchecked);
        } else {
            item->setFlags(Qt::ItemIsUserCheckable); // shown, greyed, not tickable
            item->setCheckState(0, Qt::Unchecked);
        }
    }
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(m_list, 1);
    if (publish && askTrust) {
        auto* group = new QGroupBox(QStringLiteral("信任设置"), this);
        m_trustWeb =
            withId(new QCheckBox(QStringLiteral("信任此CA标识的网站"), group), res::IDC_PUBLISH_TRUST_WEB);
        m_trustEmail = withId(new QCheckBox(QStringLiteral("信任此CA标识的电子邮件用户"), group),
                              res::IDC_PUBLISH_TRUST_EMAIL);
        auto* g = new QVBoxLayout(group);
        g->addWidget(m_trustWeb);
        g->addWidget(m_trustEmail);
        layout->addWidget(group);
    }
    layout->addWidget(okCancelButtons(this));
    fitDialog(this, 36);
}

bool CDlgPublishCert::selectable(Mode mode, const Row& row) {
    if (row.db.format != DbFormat::Sql)
        return false;
    return mode == Mode::Publish ? row.placement == Placement::Absent : row.placement == Placement::Published;
}

QString CDlgPublishCert::stateText(const Row& row) {
    switch (row.db.format) {
    case DbFormat::Legacy:
        return QStringLiteral("旧格式(cert8.db)，不能使用");
    case DbFormat::None:
        return QStringLiteral("文件夹不存在或没有证书库");
    case DbFormat::Sql:
        break;
    }
    switch (row.placement) {
    case Placement::Absent:
        return QStringLiteral("未发布");
    case Placement::Published:
        return QStringLiteral("已由本程序发布");
    case Placement::Preexisting:
        return QStringLiteral("已有此证书(非本程序发布)");
    case Placement::Unreadable:
        break;
    }
    return QStringLiteral("无法打开(可能已损坏或被锁定)");
}

std::vector<yx::nss::NssDatabase> CDlgPublishCert::chosen() const {
    std::vector<yx::nss::NssDatabase> out;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        if (m_list->topLevelItem(i)->checkState(0) == Qt::Checked && selectable(m_mode, m_rows[size_t(i)]))
            out.push_back(m_rows[size_t(i)].db);
    return out;
}

yx::nss::CaTrust CDlgPublishCert::trust() const {
    return {m_trustWeb && m_trustWeb->isChecked(), m_trustEmail && m_trustEmail->isChecked()};
}

void CDlgPublishCert::accept() {
    if (chosen().empty()) {
        say(this, "请至少选择一个证书库！", yx::MsgIcon::Warning);
        return;
    }
    QDialog::accept();
}
