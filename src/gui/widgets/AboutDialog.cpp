#include "AboutDialog.h"

#include "Artwork.h"
#include "LinkStatic.h"
#include "ResourceIds.h"
#include "shell/MakerInfo.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#ifndef YAOXIA_VERSION
#define YAOXIA_VERSION "0.1.0"
#endif

namespace yx {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QString::number(res::IDD_ABOUTBOX));
    setWindowTitle(QStringLiteral("岚川数字钥匣"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* icon = new QLabel(this);
    icon->setPixmap(art::icon(res::IDI_MAINFRAME).pixmap(QSize(64, 64), devicePixelRatioF()));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* name = new QLabel(QStringLiteral("岚川数字钥匣"), this);
    QFont nameFont = name->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.4);
    name->setFont(nameFont);
    auto* version = new QLabel(QStringLiteral("版本 %1").arg(QLatin1String(YAOXIA_VERSION)), this);
    auto* purpose = new QLabel(QStringLiteral("数字证书管理、安全邮件配置与文件加密"), this);
    purpose->setStyleSheet(QStringLiteral("color: #5b6b80;"));

    m_web = new LinkStatic(this);
    m_web->setObjectName(QString::number(res::IDC_ABOUT_WEBSITE));
    m_web->setUrl(QString::fromLatin1(maker::kWebSite));
    m_web->setUnderlineMode(LinkStatic::UnderlineAlways);

    m_mail = new LinkStatic(QString::fromLatin1(maker::kSupportAddress), this);
    m_mail->setObjectName(QString::number(res::IDC_ABOUT_MAIL));
    m_mail->setUrl(QString::fromLatin1(maker::kSupportMailUrl));
    m_mail->setUnderlineMode(LinkStatic::UnderlineAlways);

    auto* links = new QGridLayout;
    links->setHorizontalSpacing(8);
    links->addWidget(new QLabel(QStringLiteral("网站："), this), 0, 0);
    links->addWidget(m_web, 0, 1, Qt::AlignLeft);
    links->addWidget(new QLabel(QStringLiteral("技术支持："), this), 1, 0);
    links->addWidget(m_mail, 1, 1, Qt::AlignLeft);
    links->setColumnStretch(1, 1);

    auto* text = new QVBoxLayout;
    text->setSpacing(6);
    text->addWidget(name);
    text->addWidget(version);
    text->addWidget(purpose);
    text->addSpacing(8);
    text->addLayout(links);

    auto* top = new QHBoxLayout;
    top->setSpacing(18);
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(text, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QString::number(res::IDOK));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(22, 20, 22, 14);
    layout->setSpacing(16);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void AboutDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the desktop, not on the owner.
    if (const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

} // namespace yx
