#include "CertGeneralTab.h"

#include "CertFields.h"
#include "CertIconLabel.h"
#include "CertIcons.h"
#include "DigitalCertificate.h"
#include "dialogs/DialogKit.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace yx::viewer {
namespace {

using dlgkit::qstr;

QLabel* textLabel(const QString& text, QWidget* parent, const char* objectName) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(objectName));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setFocusPolicy(Qt::StrongFocus);
    return label;
}

QLabel* boldLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QFrame* separator(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

QString CertGeneralTab::statusText(CDigitalCertificate& cert, const yx::CertChain& chain, int* severity) {
    bool inherited = false;
    yx::ChainProblem problem = chain.effectiveProblem(0, &inherited);
    // The validity the rest of the program shows decides the certificate's own dates.
    if (!cert.isLocalTimeValid() && cert.getPCCERT()) {
        inherited = false;
        problem = X509_cmp_time(X509_get0_notBefore(cert.getPCCERT()->x509.get()), nullptr) > 0
                      ? yx::ChainProblem::NotYetValid
                      : yx::ChainProblem::Expired;
    }
    int level = 2;
    QString text;
    switch (problem) {
    case yx::ChainProblem::None:
        level = 0;
        text = QStringLiteral("该证书有效。");
        break;
    case yx::ChainProblem::UntrustedRoot:
        level = 1;
        text = inherited ? QStringLiteral("该证书不受信任：它的根证书不在 CA 证书存储中。")
                         : QStringLiteral("该 CA 根证书不受信任。要信任它，请将它导入 CA 证书存储。");
        break;
    case yx::ChainProblem::IssuerNotFound:
        level = 1;
        text = inherited ? QStringLiteral("无法验证该证书：证书路径不完整，找不到上级颁发机构的证书。")
                         : QStringLiteral("无法验证该证书：找不到它的颁发者证书。");
        break;
    default:
        text = QString::fromUtf8(yx::chainProblemText(problem, inherited).c_str());
        if (inherited)
            text = QStringLiteral("该证书不受信任：") + text;
        break;
    }
    if (severity)
        *severity = level;
    return text;
}

namespace {

// Holder, issuer, validity and (when there is one) the e-mail address, as caption and value rows.
QGridLayout* detailsGrid(CDigitalCertificate& cert, QWidget* panel) {
    std::string holder, issuer, from, to, email;
    cert.getDisplayName(holder);
    cert.getIssuerCN(issuer);
    cert.getValidFromDate(from);
    cert.getValidToDate(to);
    cert.getEmail(email);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    int row = 0;
    auto addRow = [&](const QString& caption, const QString& value, const char* name) {
        grid->addWidget(boldLabel(caption, panel), row, 0);
        grid->addWidget(textLabel(value, panel, name), row, 1);
        ++row;
    };
    addRow(QStringLiteral("颁发给："), qstr(holder), "issuedTo");
    addRow(QStringLiteral("颁发者："), qstr(issuer), "issuedBy");
    addRow(QStringLiteral("有效期从"), QStringLiteral("%1  到  %2").arg(qstr(from), qstr(to)), "validity");
    if (!email.empty())
        addRow(QStringLiteral("电子邮件："), qstr(email), "email");
    grid->setColumnStretch(1, 1);
    return grid;
}

} // namespace

CertGeneralTab::CertGeneralTab(CDigitalCertificate& cert, const yx::CertChain& chain, bool hasPrivateKey,
                               QWidget* parent)
    : QWidget(parent) {
    auto* outer = new QVBoxLayout(this);

    // The white information panel.
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("generalPanel"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setBackgroundRole(QPalette::Base);
    panel->setAutoFillBackground(true);
    outer->addWidget(panel);
    auto* box = new QVBoxLayout(panel);
    box->setSpacing(8);

    int severity = 0;
    const QString status = statusText(cert, chain, &severity);
    const CertBadge badge = severity == 0   ? CertBadge::None
                            : severity == 1 ? CertBadge::Warning
                                            : CertBadge::Error;
    const int iconSize = fontMetrics().height() * 3;

    auto* head = new QHBoxLayout;
    head->setSpacing(12);
    head->addWidget(new CertIconLabel(certificateIcon(badge), iconSize, panel), 0, Qt::AlignTop);
    auto* headText = new QVBoxLayout;
    auto* title = new QLabel(QStringLiteral("证书信息"), panel);
    QFont tf = title->font();
    tf.setBold(true);
    tf.setPointSizeF(tf.pointSizeF() * 1.3);
    title->setFont(tf);
    headText->addWidget(title);
    QLabel* statusLabel = textLabel(status, panel, "statusText");
    if (severity > 0) {
        const QColor color = severity == 2 ? QColor(0xb0, 0x1c, 0x1c) : QColor(0x8a, 0x5a, 0x00);
        statusLabel->setStyleSheet(QStringLiteral("QLabel { color: %1; }").arg(color.name()));
    }
    headText->addWidget(statusLabel);
    head->addLayout(headText, 1);
    box->addLayout(head);
    box->addWidget(separator(panel));

    const QStringList purposes = intendedPurposes(cert.getPCCERT()->x509.get());
    box->addWidget(boldLabel(QStringLiteral("该证书的用途："), panel));
    QStringList bullets;
    for (const QString& p : purposes)
        bullets << QStringLiteral("•  ") + p;
    if (bullets.isEmpty())
        bullets << QStringLiteral("•  所有用途（该证书未限定用途）");
    QLabel* purposeLabel = textLabel(bullets.join(QLatin1Char('\n')), panel, "purposes");
    purposeLabel->setContentsMargins(fontMetrics().height(), 0, 0, 0);
    box->addWidget(purposeLabel);
    box->addWidget(separator(panel));

    box->addLayout(detailsGrid(cert, panel));
    box->addStretch(1);

    if (hasPrivateKey) {
        auto* keyRow = new QHBoxLayout;
        keyRow->addWidget(new CertIconLabel(privateKeyIcon(), fontMetrics().height() + 6, panel));
        keyRow->addWidget(textLabel(QStringLiteral("您有一个与该证书对应的私钥。"), panel, "privateKey"), 1);
        box->addLayout(keyRow);
    }
}

} // namespace yx::viewer
