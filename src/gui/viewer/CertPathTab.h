// The viewer's "证书路径" tab: the path from the root down to the certificate, and the status of
// the selected certificate.
#pragma once

#include "CertChain.h"
#include "CertContext.h"

#include <QWidget>
#include <vector>

class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace yx::viewer {

class CertPathTab : public QWidget {
    Q_OBJECT
public:
    explicit CertPathTab(const yx::CertChain& chain, QWidget* parent = nullptr);

    // The status text of path element `index` (0 = the certificate itself).
    static QString elementStatus(const yx::CertChain& chain, size_t index);

signals:
    // "查看证书" on a certificate above this one.
    void viewRequested(yx::CertContextPtr cert);

private:
    void showSelected();
    int selectedIndex() const;

    const yx::CertChain& m_chain;
    std::vector<yx::CertContextPtr> m_contexts; // per path element, [0] = the certificate
    QTreeWidget* m_tree = nullptr;
    QPushButton* m_view = nullptr;
    QPlainTextEdit* m_status = nullptr;
};

} // namespace yx::viewer
