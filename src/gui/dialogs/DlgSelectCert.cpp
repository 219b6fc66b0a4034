#include "DlgSelectCert.h"

#include "CertStore.h"
#include "DialogKit.h"
#include "directory/CertResultList.h"
#include "encryption/EncDialogIds.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace yx;
using namespace yx::dlgkit;

CDlgSelectCert::CDlgSelectCert(CCertStore* store, const QString& title, QWidget* parent)
    : QDialog(parent), m_store(store), m_title(title) {
    setObjectName(QString::number(res::IDD_SELECT_CERT));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(m_title);

    // The list of the system's other choosers, with the last column stretched and tool tips.
    auto* list = new CertResultList({{QStringLiteral("颁发给"), 80},
                                     {QStringLiteral("颁发者"), 80},
                                     {QStringLiteral("预期目的"), 80},
                                     {QStringLiteral("好记的名字"), 80},
                                     {QStringLiteral("截止日期"), 80}},
                                    this);
    m_list = withId(list, res::IDC_SELCERT_LIST);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->header()->setStretchLastSection(true);
    const int count = m_store ? m_store->GetCertCount() : 0;
    for (int i = 0; i < count; ++i) {
        CDigitalCertificate* cert = m_store->getCert(i);
        QTreeWidgetItem* item = list->addRow({certText(cert, &CDigitalCertificate::getDisplayName),
                                              certText(cert, &CDigitalCertificate::getIssuerCN), QString(),
                                              certText(cert, &CDigitalCertificate::getFriendlyName),
                                              certText(cert, &CDigitalCertificate::getValidToDate)});
        for (int c = 0; c < 5; ++c)
            item->setToolTip(c, item->text(c));
    }

    m_view = sideButton(this, res::IDC_SELCERT_VIEW, QStringLiteral("查看证书..."));
    m_view->setEnabled(false);
    m_ok = chooserLayout(this, m_list, m_view, okCancelButtons(this));

    // A click on empty space clears the selection without moving the current row: the buttons
    // follow the selection.
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
        onSelectionChanged(selected.isEmpty() ? nullptr : selected.first());
    });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) {
        m_lastHit = m_list->indexOfTopLevelItem(item);
        viewRow(m_lastHit);
    });
    connect(m_view, &QPushButton::clicked, this, &CDlgSelectCert::viewSelected);
    setTabOrder(m_list, m_view);
    // Wide enough that the stretched last column shows a whole date and time.
    const int dateWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00 00:00:00")) + 24;
    resize(qMax(sizeHint().width(), 4 * 80 + dateWidth + 40), fontMetrics().height() * 18);
}

void CDlgSelectCert::onSelectionChanged(QTreeWidgetItem* item) {
    const int row = item ? m_list->indexOfTopLevelItem(item) : -1;
    m_selection = row;
    m_lastHit = row;
    const bool hit = row >= 0;
    m_ok->setEnabled(hit);
    m_view->setEnabled(hit);
}

void CDlgSelectCert::viewSelected() {
    viewRow(m_selection);
}

void CDlgSelectCert::viewRow(int row) {
    if (!m_store || row < 0)
        return;
    if (CDigitalCertificate* cert = m_store->getCert(row))
        cert->Display();
}
