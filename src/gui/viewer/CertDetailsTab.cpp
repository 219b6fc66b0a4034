#include "CertDetailsTab.h"

#include "CertIcons.h"
#include "DigitalCertificate.h"
#include "SafeFile.h"
#include "UserPrompt.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace yx::viewer {
namespace {

// The filter choices of "显示", in combo order.
enum Show { ShowAll, ShowBasic, ShowExtensions, ShowCritical, ShowProperties };

bool shown(CertField::Kind kind, int show) {
    switch (show) {
    case ShowBasic:
        return kind == CertField::BasicField;
    case ShowExtensions:
        return kind == CertField::Extension || kind == CertField::CriticalExtension;
    case ShowCritical:
        return kind == CertField::CriticalExtension;
    case ShowProperties:
        return kind == CertField::Property;
    default:
        return true;
    }
}

} // namespace

CertDetailsTab::CertDetailsTab(CDigitalCertificate& cert, QWidget* parent)
    : QWidget(parent), m_cert(cert), m_fields(certificateFields(cert)) {
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    auto* showLabel = new QLabel(QStringLiteral("显示(&S)："), this);
    m_show = new QComboBox(this);
    m_show->setObjectName(QStringLiteral("detailsShow"));
    m_show->addItems({QStringLiteral("<全部>"), QStringLiteral("仅版本 1 字段"), QStringLiteral("仅扩展"),
                      QStringLiteral("仅关键扩展"), QStringLiteral("仅属性")});
    showLabel->setBuddy(m_show);
    top->addWidget(showLabel);
    top->addWidget(m_show, 1);
    layout->addLayout(top);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("detailsList"));
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({QStringLiteral("字段"), QStringLiteral("值")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAlternatingRowColors(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setTextElideMode(Qt::ElideRight);
    m_list->header()->setStretchLastSection(true);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    layout->addWidget(m_list, 3);

    m_value = new QPlainTextEdit(this);
    m_value->setObjectName(QStringLiteral("detailsValue"));
    m_value->setReadOnly(true);
    m_value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_value->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    layout->addWidget(m_value, 2);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    auto* copy = new QPushButton(QStringLiteral("复制到文件(&C)..."), this);
    copy->setObjectName(QStringLiteral("copyToFile"));
    copy->setAutoDefault(false);
    bottom->addWidget(copy);
    layout->addLayout(bottom);

    connect(m_show, &QComboBox::currentIndexChanged, this, [this] { fill(); });
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this] { showSelected(); });
    connect(copy, &QPushButton::clicked, this, [this] { copyToFile(); });
    fill();
    m_list->setColumnWidth(0, fontMetrics().horizontalAdvance(QStringLiteral("颁发机构密钥标识符")) +
                                  fontMetrics().height() * 3);
}

void CertDetailsTab::fill() {
    m_list->clear();
    const int show = m_show->currentIndex();
    for (int i = 0; i < m_fields.size(); ++i) {
        const CertField& f = m_fields[i];
        if (!shown(f.kind, show))
            continue;
        auto* item = new QTreeWidgetItem(m_list, {f.name, f.shortValue()});
        item->setData(0, Qt::UserRole, i);
        item->setIcon(0, fieldIcon(f.kind != CertField::BasicField, f.kind == CertField::CriticalExtension));
        if (f.kind == CertField::CriticalExtension)
            item->setToolTip(0, QStringLiteral("关键扩展"));
    }
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    else
        m_value->clear();
}

void CertDetailsTab::showSelected() {
    const QTreeWidgetItem* item = m_list->currentItem();
    if (!item) {
        m_value->clear();
        return;
    }
    const CertField& f = m_fields[item->data(0, Qt::UserRole).toInt()];
    m_value->setPlainText(f.kind == CertField::CriticalExtension ? QStringLiteral("（关键扩展）\n") + f.value
                                                                 : f.value);
}

void CertDetailsTab::copyToFile() {
    const auto& ctx = m_cert.getPCCERT();
    if (!ctx)
        return;
    std::string holder;
    m_cert.getDisplayName(holder);
    yx::FileChooserRequest req;
    req.save = true;
    req.title = "复制到文件";
    req.filter = "DER 编码的证书(*.cer)|*.cer|所有文件(*.*)|*.*||";
    req.initialPath = (holder.empty() ? std::string("证书") : holder) + ".cer";
    req.defaultSuffix = "cer";
    req.overwritePrompt = true;
    const auto path = yx::prompt().chooseFile(req, this);
    if (!path)
        return;
    if (yx::atomicWriteFile(*path, ctx->der))
        yx::showMessage("证书已保存到文件 " + *path + "。", yx::MsgIcon::Information, yx::MsgButtons::Ok,
                        this);
    else
        yx::showMessage("无法写入文件 " + *path + "。", yx::MsgIcon::Error, yx::MsgButtons::Ok, this);
}

} // namespace yx::viewer
