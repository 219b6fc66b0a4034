// The about box: program name and version, the maker's web site and support mailbox as links.
#pragma once

#include <QDialog>

namespace yx {

class LinkStatic;

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);

    LinkStatic* webSiteLink() const { return m_web; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    LinkStatic* m_web = nullptr;
    LinkStatic* m_mail = nullptr;
};

} // namespace yx
