#include "CertPathTab.h"

#include "CertIcons.h"
#include "DigitalCertificate.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace yx::viewer {
namespace {

CertBadge badgeFor(yx::ChainProblem p) {
    switch (p) {
    case yx::ChainProblem::None:
        return CertBadge::None;
    case yx::ChainProblem::UntrustedRoot:
    case yx::ChainProblem::IssuerNotFound:
        return CertBadge::Warning;
    default:
        return CertBadge::Error;
    }
}

QString displayName(const yx::CertContextPtr& ctx) {
    CDigitalCertificate cert(ctx);
    std::string name;
    cert.getDisplayName(name);
    if (name.empty())
        cert.getSubjectName(name);
    return QString::fromUtf8(name.c_str());
}

} // namespace

QString CertPathTab::elementStatus(const yx::CertChain& chain, size_t index) {
    bool inherited = false;
    const yx::ChainProblem p = chain.effectiveProblem(index, &inherited);
    return QString::fromUtf8(yx::chainProblemText(p, inherited).c_str());
}

CertPathTab::CertPathTab(const yx::CertChain& chain, QWidget* parent) : QWidget(parent), m_chain(chain) {
    auto* layout = new QVBoxLayout(this);

    auto* pathBox = new QGroupBox(QStringLiteral("证书路径(&P)"), this);
    auto* pathLayout = new QVBoxLayout(pathBox);
    m_tree = new QTreeWidget(pathBox);
    m_tree->setObjectName(QStringLiteral("pathTree"));
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    const int iconSide = fontMetrics().height() * 3 / 2;
    m_tree->setIconSize(QSize(iconSide, iconSide));
    pathLayout->addWidget(m_tree);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_view = new QPushButton(QStringLiteral("查看证书(&V)"), pathBox);
    m_view->setObjectName(QStringLiteral("viewCertificate"));
    m_view->setAutoDefault(false);
    buttons->addWidget(m_view);
    pathLayout->addLayout(buttons);
    layout->addWidget(pathBox, 3);

    auto* statusLabel = new QLabel(QStringLiteral("证书状态(&S)："), this);
    m_status = new QPlainTextEdit(this);
    m_status->setObjectName(QStringLiteral("pathStatus"));
    m_status->setReadOnly(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_status->setMaximumHeight(fontMetrics().height() * 5);
    statusLabel->setBuddy(m_status);
    layout->addWidget(statusLabel);
    layout->addWidget(m_status, 1);

    // Root first, each certificate a child of its issuer.
    QTreeWidgetItem* parentItem = nullptr;
    QTreeWidgetItem* leaf = nullptr;
    m_contexts.resize(chain.elements.size());
    for (size_t i = chain.elements.size(); i-- > 0;) {
        m_contexts[i] = yx::CertContext::fromX509(chain.elements[i].cert.get());
        if (!m_contexts[i])
            continue;
        auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(m_tree);
        item->setText(0, displayName(m_contexts[i]));
        item->setIcon(0, certificateIcon(badgeFor(chain.elements[i].problem)));
        item->setData(0, Qt::UserRole, static_cast<int>(i));
        item->setToolTip(0, elementStatus(chain, i));
        parentItem = item;
        leaf = item;
    }
    m_tree->expandAll();
    if (leaf) {
        QFont f = leaf->font(0);
        f.setBold(true);
        leaf->setFont(0, f);
        m_tree->setCurrentItem(leaf);
    }

    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this] { showSelected(); });
    connect(m_tree, &QTreeWidget::itemActivated, this, [this] {
        if (m_view->isEnabled())
            m_view->click();
    });
    connect(m_view, &QPushButton::clicked, this, [this] {
        const int i = selectedIndex();
        if (i > 0 && m_contexts[static_cast<size_t>(i)])
            emit viewRequested(m_contexts[static_cast<size_t>(i)]);
    });
    showSelected();
}

int CertPathTab::selectedIndex() const {
    const QTreeWidgetItem* item = m_tree->currentItem();
    return item ? item->data(0, Qt::UserRole).toInt() : -1;
}

void CertPathTab::showSelected() {
    const int i = selectedIndex();
    m_view->setEnabled(i > 0);
    m_status->setPlainText(i >= 0 ? elementStatus(m_chain, static_cast<size_t>(i)) : QString());
}

} // namespace yx::viewer
