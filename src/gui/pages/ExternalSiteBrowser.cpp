#include "ExternalSiteBrowser.h"

#include "UserPrompt.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace yx {

ExternalSiteBrowser::ExternalSiteBrowser(QWidget* parent) : SiteBrowser(parent) {
    m_text = new QLabel(this);
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_open = new QPushButton(QString::fromUtf8("在浏览器中打开"), this);
    m_open->setObjectName(QStringLiteral("openInBrowser"));
    connect(m_open, &QPushButton::clicked, this, &ExternalSiteBrowser::openOutside);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(m_text);
    layout->addWidget(m_open, 0, Qt::AlignHCenter);
    layout->addStretch(2);
    navigate(QUrl());
}

void ExternalSiteBrowser::navigate(const QUrl& url) {
    m_url = url;
    if (url.isEmpty()) {
        m_text->setText(QString::fromUtf8(
            "尚未设置证书注册服务中心站点。请在“工具 → 配置管理”的“RA站点设置”中选择站点。"));
    } else {
        m_text->setText(
            QString::fromUtf8("证书注册服务中心站点：\n%1\n\n本程序未带内嵌浏览器，请在浏览器中打开该站点。")
                .arg(url.toString()));
    }
    m_open->setEnabled(!url.isEmpty());
    emit navigationCompleted(url);
}

void ExternalSiteBrowser::refresh() {
    navigate(m_url);
}

void ExternalSiteBrowser::openOutside() {
    if (!m_url.isEmpty())
        prompt().openWithDesktop(m_url.toString(QUrl::FullyEncoded).toStdString());
}

} // namespace yx
