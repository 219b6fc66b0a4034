// The certificate viewer: fields, extensions, certification path and refusing bad files.
#include "CertStore.h"
#include "DigitalCertificate.h"
#include "TestPki.h"
#include "UserPrompt.h"
#include "viewer/CertViewerDialog.h"
#include "viewer/ViewerApp.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

using namespace yxtest;

namespace {

// Answers the file chooser with a fixed path and keeps every message shown.
class RecordingPrompt : public yx::ConsolePrompt {
public:
    yx::MsgAnswer message(const std::string& text, const std::string& caption, yx::MsgIcon icon,
                          yx::MsgButtons, void*) override {
        messages.push_back({text, caption, icon});
        return yx::MsgAnswer::Ok;
    }
    std::optional<std::string> chooseFile(const yx::FileChooserRequest& request, void*) override {
        lastRequest = request;
        return chosen;
    }
    struct Shown {
        std::string text, caption;
        yx::MsgIcon icon;
    };
    std::vector<Shown> messages;
    std::optional<std::string> chosen;
    yx::FileChooserRequest lastRequest;
};

void addExt(X509* cert, X509* issuer, int nid, const char* value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    yx::X509ExtPtr ext(X509V3_EXT_conf_nid(nullptr, &ctx, nid, value));
    QVERIFY(ext != nullptr);
    QCOMPARE(X509_add_ext(cert, ext.get(), -1), 1);
}

// Makes `cert` issued by `issuer`: issuer name, authority key identifier and signature.
void reissue(Issued& cert, X509* issuer, EVP_PKEY* issuerKey) {
    X509* c = cert.cert.get();
    X509_set_issuer_name(c, X509_get_subject_name(issuer));
    const int at = X509_get_ext_by_NID(c, NID_authority_key_identifier, -1);
    if (at >= 0)
        X509_EXTENSION_free(X509_delete_ext(c, at));
    addExt(c, issuer, NID_authority_key_identifier, "keyid:always");
    QVERIFY(X509_sign(c, issuerKey, EVP_sha256()) > 0);
}

yx::CertContextPtr contextOf(X509* cert) {
    return yx::CertContext::fromX509(cert);
}

QString labelText(QWidget* root, const char* name) {
    auto* label = root->findChild<QLabel*>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<no label %1>").arg(QLatin1String(name));
}

QString u(const std::string& s) {
    return QString::fromUtf8(s.c_str());
}

std::string accessor(X509* cert, int (CDigitalCertificate::*get)(std::string&)) {
    CDigitalCertificate dc(contextOf(cert));
    std::string v;
    (dc.*get)(v);
    return v;
}

void screenshot(QWidget* w, const QString& name) {
    const QString dir = qEnvironmentVariable("YAOXIA_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    QVERIFY(w->grab().save(dir + QLatin1Char('/') + name));
}

QTreeWidgetItem* rowNamed(QTreeWidget* list, const QString& name) {
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(0) == name)
            return list->topLevelItem(i);
    return nullptr;
}

} // namespace

class CertViewerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void generalTabShowsHolderIssuerValidityAndPurposes();
    void detailsListEveryFieldAndExtension();
    void detailsCopyToFileWritesTheDerBytes();
    void pathTabShowsTheChainFromTheCaStore();
    void unknownIssuerAndExpiryAreReported();
    void badFileIsRefused();

private:
    std::unique_ptr<ScopedDataRoot> m_root;
    std::unique_ptr<TestCa> m_ca;
    Issued m_mid;
    Issued m_user;
    RecordingPrompt m_prompt;
};

void CertViewerTest::initTestCase() {
    m_root = std::make_unique<ScopedDataRoot>();
    yx::setPrompt(&m_prompt);
    m_ca = std::make_unique<TestCa>();

    CertProfile midSpec;
    midSpec.cn = "钥匣测试二级CA";
    midSpec.isCa = true;
    midSpec.keyUsage = KU_KEY_CERT_SIGN | KU_CRL_SIGN;
    midSpec.keyIndex = 2;
    m_mid = m_ca->issue(midSpec);
    addExt(m_mid.cert.get(), m_mid.cert.get(), NID_subject_key_identifier, "hash");
    QVERIFY(X509_sign(m_mid.cert.get(), m_ca->key(), EVP_sha256()) > 0);

    CertProfile userSpec;
    userSpec.cn = "张三丰";
    userSpec.email = "zhangsanfeng@example.cn";
    userSpec.keyUsage = KU_DIGITAL_SIGNATURE | KU_KEY_ENCIPHERMENT;
    userSpec.crlUrls = {"http://crl.example.cn/mid.crl"};
    m_user = m_ca->issue(userSpec);
    addExt(m_user.cert.get(), m_mid.cert.get(), NID_ext_key_usage, "clientAuth,emailProtection");
    reissue(m_user, m_mid.cert.get(), m_mid.key.get());

    // The holder's PFX goes into the personal store; its CA certificates into the CA store.
    TempDir tmp;
    const std::string pfx =
        writeFile(tmp.path(), "user.pfx",
                  makePfx(m_user.key.get(), m_user.cert.get(), {m_mid.cert.get(), m_ca->cert()}, "密码123",
                          PfxKind::TripleDes));
    CMyCertStore my;
    QCOMPARE(my.OpenCertStore(), 0);
    QCOMPARE(my.ImportP12("", pfx.c_str(), "密码123"), 0);
    CCaCertStore ca;
    QCOMPARE(ca.OpenCertStore(), 0);
    QVERIFY(ca.GetCertCount() >= 2);
}

void CertViewerTest::cleanupTestCase() {
    yx::setPrompt(nullptr);
    m_root.reset();
}

void CertViewerTest::generalTabShowsHolderIssuerValidityAndPurposes() {
    yx::viewer::CertViewerDialog dialog(contextOf(m_user.cert.get()));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("证书"));
    QCOMPARE(dialog.tabs()->count(), 3);
    QCOMPARE(dialog.tabs()->tabText(0), QStringLiteral("常规"));
    QWidget* general = dialog.tabs()->widget(0);

    QCOMPARE(labelText(general, "issuedTo"), QStringLiteral("张三丰"));
    QCOMPARE(labelText(general, "issuedBy"), QStringLiteral("钥匣测试二级CA"));
    QCOMPARE(labelText(general, "email"), QStringLiteral("zhangsanfeng@example.cn"));
    const QString validity = labelText(general, "validity");
    QVERIFY(validity.contains(u(accessor(m_user.cert.get(), &CDigitalCertificate::getValidFromDate))));
    QVERIFY(validity.contains(u(accessor(m_user.cert.get(), &CDigitalCertificate::getValidToDate))));
    QCOMPARE(labelText(general, "statusText"), QStringLiteral("该证书有效。"));
    const QString purposes = labelText(general, "purposes");
    QVERIFY2(purposes.contains(QStringLiteral("向远程计算机证明您的身份")), qPrintable(purposes));
    QVERIFY(purposes.contains(QStringLiteral("保护电子邮件消息")));
    QVERIFY(purposes.contains(QStringLiteral("数字签名")));
    QVERIFY(purposes.contains(QStringLiteral("加密")));
    QVERIFY(!purposes.contains(QStringLiteral("签发证书")));
    QCOMPARE(labelText(general, "privateKey"), QStringLiteral("您有一个与该证书对应的私钥。"));

    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    screenshot(&dialog, QStringLiteral("viewer-general.png"));

    // The intermediate CA is not in the personal store: no private key line; CA purposes.
    yx::viewer::CertViewerDialog caDialog(contextOf(m_mid.cert.get()));
    QWidget* caGeneral = caDialog.tabs()->widget(0);
    QVERIFY(caGeneral->findChild<QLabel*>(QStringLiteral("privateKey")) == nullptr);
    QVERIFY(caGeneral->findChild<QLabel*>(QStringLiteral("email")) == nullptr);
    QVERIFY(labelText(caGeneral, "purposes").contains(QStringLiteral("签发证书")));

    // Esc closes the viewer.
    QVERIFY(dialog.isVisible());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
}

void CertViewerTest::detailsListEveryFieldAndExtension() {
    yx::viewer::CertViewerDialog dialog(contextOf(m_user.cert.get()));
    dialog.tabs()->setCurrentIndex(1);
    QCOMPARE(dialog.tabs()->tabText(1), QStringLiteral("详细信息"));
    auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("detailsList"));
    auto* value = dialog.findChild<QPlainTextEdit*>(QStringLiteral("detailsValue"));
    QVERIFY(list && value);
    QCOMPARE(list->columnCount(), 2);

    const QStringList expected = {"版本",
                                  "序列号",
                                  "签名算法",
                                  "颁发者",
                                  "有效期从",
                                  "到",
                                  "使用者",
                                  "公钥",
                                  "密钥用法",
                                  "增强型密钥用法",
                                  "使用者可选名称",
                                  "CRL 分发点",
                                  "颁发机构密钥标识符",
                                  "指纹算法",
                                  "指纹"};
    for (const QString& name : expected)
        QVERIFY2(rowNamed(list, name), qPrintable(name));
    // One row per extension of the certificate, none invented.
    int extRows = 0;
    for (const char* n : {"密钥用法", "增强型密钥用法", "使用者可选名称", "CRL 分发点", "颁发机构密钥标识符",
                          "基本约束", "使用者密钥标识符"})
        extRows += rowNamed(list, QString::fromUtf8(n)) ? 1 : 0;
    QCOMPARE(extRows, X509_get_ext_count(m_user.cert.get()));

    QCOMPARE(rowNamed(list, QStringLiteral("版本"))->text(1), QStringLiteral("V3"));
    QCOMPARE(rowNamed(list, QStringLiteral("签名算法"))->text(1), QStringLiteral("sha256RSA"));
    QVERIFY(rowNamed(list, QStringLiteral("公钥"))->text(1).startsWith(QStringLiteral("RSA (2048 Bits)")));
    QCOMPARE(rowNamed(list, QStringLiteral("有效期从"))->text(1),
             u(accessor(m_user.cert.get(), &CDigitalCertificate::getValidFromDate)));
    QCOMPARE(rowNamed(list, QStringLiteral("指纹"))->text(1),
             u(accessor(m_user.cert.get(), &CDigitalCertificate::getThumbPrint)));
    QVERIFY(rowNamed(list, QStringLiteral("使用者"))->text(1).startsWith(QStringLiteral("E = zhangsanfeng")));
    QVERIFY(
        rowNamed(list, QStringLiteral("颁发者"))->text(1).startsWith(QStringLiteral("CN = 钥匣测试二级CA")));
    QCOMPARE(rowNamed(list, QStringLiteral("密钥用法"))->text(1), QStringLiteral("数字签名, 密钥加密 (a0)"));

    // Selecting a row shows its whole value below.
    list->setCurrentItem(rowNamed(list, QStringLiteral("使用者")));
    QVERIFY(value->toPlainText().contains(QStringLiteral("\nCN = 张三丰\n")));
    list->setCurrentItem(rowNamed(list, QStringLiteral("使用者可选名称")));
    QCOMPARE(value->toPlainText(), QStringLiteral("RFC822 名称=zhangsanfeng@example.cn"));
    list->setCurrentItem(rowNamed(list, QStringLiteral("增强型密钥用法")));
    QCOMPARE(value->toPlainText(),
             QStringLiteral("客户端身份验证 (1.3.6.1.5.5.7.3.2)\n安全电子邮件 (1.3.6.1.5.5.7.3.4)"));
    list->setCurrentItem(rowNamed(list, QStringLiteral("公钥")));
    QVERIFY(value->toPlainText().startsWith(QStringLiteral("RSA (2048 Bits)\n\n30 82 01 0a 02 82 01 01 00")));
    QCOMPARE(rowNamed(list, QStringLiteral("公钥"))->text(1), QStringLiteral("RSA (2048 Bits)"));
    list->setCurrentItem(rowNamed(list, QStringLiteral("CRL 分发点")));
    QVERIFY(value->toPlainText().contains(QStringLiteral("URL=http://crl.example.cn/mid.crl")));
    QVERIFY(value->isReadOnly());

    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    screenshot(&dialog, QStringLiteral("viewer-details.png"));

    // The filter: the key usage made by the test CA is the only critical extension.
    auto* show = dialog.findChild<QComboBox*>(QStringLiteral("detailsShow"));
    show->setCurrentIndex(3);
    QCOMPARE(list->topLevelItemCount(), 1);
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("密钥用法"));
    QVERIFY(value->toPlainText().contains(QStringLiteral("关键扩展")));
    show->setCurrentIndex(4);
    QCOMPARE(list->topLevelItemCount(), 2);
    show->setCurrentIndex(1);
    QVERIFY(rowNamed(list, QStringLiteral("序列号")) && !rowNamed(list, QStringLiteral("密钥用法")));
}

void CertViewerTest::detailsCopyToFileWritesTheDerBytes() {
    yx::viewer::CertViewerDialog dialog(contextOf(m_user.cert.get()));
    TempDir out;
    m_prompt.messages.clear();
    m_prompt.chosen = out.file("张三丰.cer");
    auto* copy = dialog.findChild<QPushButton*>(QStringLiteral("copyToFile"));
    QVERIFY(copy);
    copy->click();
    QVERIFY(m_prompt.lastRequest.save);
    QCOMPARE(m_prompt.lastRequest.defaultSuffix, std::string("cer"));
    QCOMPARE(readFile(*m_prompt.chosen), m_user.der());
    QCOMPARE(m_prompt.messages.size(), size_t(1));
    QCOMPARE(m_prompt.messages[0].icon, yx::MsgIcon::Information);

    // A folder that cannot be written: an error, nothing created.
    m_prompt.messages.clear();
    m_prompt.chosen = out.file("missing/sub/x.cer");
    copy->click();
    QCOMPARE(m_prompt.messages.size(), size_t(1));
    QCOMPARE(m_prompt.messages[0].icon, yx::MsgIcon::Error);
    QVERIFY(!QFile::exists(QString::fromStdString(*m_prompt.chosen)));
    m_prompt.chosen.reset();
}

void CertViewerTest::pathTabShowsTheChainFromTheCaStore() {
    yx::viewer::CertViewerDialog dialog(contextOf(m_user.cert.get()));
    QCOMPARE(dialog.chain().elements.size(), size_t(3));
    dialog.tabs()->setCurrentIndex(2);
    QCOMPARE(dialog.tabs()->tabText(2), QStringLiteral("证书路径"));
    auto* tree = dialog.findChild<QTreeWidget*>(QStringLiteral("pathTree"));
    auto* status = dialog.findChild<QPlainTextEdit*>(QStringLiteral("pathStatus"));
    auto* view = dialog.findChild<QPushButton*>(QStringLiteral("viewCertificate"));
    QVERIFY(tree && status && view);

    QCOMPARE(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree->topLevelItem(0);
    QCOMPARE(root->text(0), QStringLiteral("钥匣测试根CA"));
    QCOMPARE(root->childCount(), 1);
    QTreeWidgetItem* mid = root->child(0);
    QCOMPARE(mid->text(0), QStringLiteral("钥匣测试二级CA"));
    QCOMPARE(mid->childCount(), 1);
    QTreeWidgetItem* leaf = mid->child(0);
    QCOMPARE(leaf->text(0), QStringLiteral("张三丰"));
    QCOMPARE(leaf->childCount(), 0);
    QCOMPARE(tree->currentItem(), leaf);
    QCOMPARE(status->toPlainText(), QStringLiteral("该证书没有问题。"));
    QVERIFY(!view->isEnabled()); // this certificate is already shown

    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    screenshot(&dialog, QStringLiteral("viewer-path.png"));

    tree->setCurrentItem(root);
    QCOMPARE(status->toPlainText(), QStringLiteral("该证书没有问题。"));
    QVERIFY(view->isEnabled());
}

void CertViewerTest::unknownIssuerAndExpiryAreReported() {
    TestCa stranger("不认识的CA", 4);
    CertProfile profile;
    profile.cn = "李四";
    Issued orphan = stranger.issue(profile);
    yx::viewer::CertViewerDialog dialog(contextOf(orphan.cert.get()));
    QCOMPARE(labelText(dialog.tabs()->widget(0), "statusText"),
             QStringLiteral("无法验证该证书：找不到它的颁发者证书。"));
    auto* tree = dialog.findChild<QTreeWidget*>(QStringLiteral("pathTree"));
    QCOMPARE(tree->topLevelItemCount(), 1);
    QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("李四"));
    QVERIFY(dialog.findChild<QPlainTextEdit*>(QStringLiteral("pathStatus"))
                ->toPlainText()
                .contains(QStringLiteral("找不到")));
    dialog.tabs()->setCurrentIndex(2);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    screenshot(&dialog, QStringLiteral("viewer-path-missing-issuer.png"));

    profile.cn = "王五";
    profile.notBeforeOffset = -3 * 86400;
    profile.notAfterOffset = -60;
    Issued expired = m_ca->issue(profile);
    yx::viewer::CertViewerDialog expiredDialog(contextOf(expired.cert.get()));
    QCOMPARE(labelText(expiredDialog.tabs()->widget(0), "statusText"), QStringLiteral("该证书已过期。"));
    QCOMPARE(expiredDialog.findChild<QPlainTextEdit*>(QStringLiteral("pathStatus"))->toPlainText(),
             QStringLiteral("该证书已过期。"));
    expiredDialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&expiredDialog));
    // A problem is written in red.
    const QImage status = expiredDialog.findChild<QLabel*>(QStringLiteral("statusText"))->grab().toImage();
    bool red = false;
    for (int y = 0; y < status.height() && !red; ++y)
        for (int x = 0; x < status.width() && !red; ++x)
            red = qRed(status.pixel(x, y)) > qGreen(status.pixel(x, y)) + 80;
    QVERIFY(red);
    screenshot(&expiredDialog, QStringLiteral("viewer-general-expired.png"));

    // A self-signed root in no store of ours.
    yx::viewer::CertViewerDialog strangerDialog(contextOf(stranger.cert()));
    QVERIFY(labelText(strangerDialog.tabs()->widget(0), "statusText").contains(QStringLiteral("不受信任")));
}

void CertViewerTest::badFileIsRefused() {
    TempDir dir;
    const std::string junk = writeFile(dir.path(), "CERTabc123", std::string("this is no certificate"));
    m_prompt.messages.clear();
    QCOMPARE(yx::viewer::runViewer({QStringLiteral("yaoxia-viewer"), QString::fromStdString(junk)}), 1);
    QCOMPARE(m_prompt.messages.size(), size_t(1));
    QCOMPARE(m_prompt.messages[0].icon, yx::MsgIcon::Error);
    QCOMPARE(m_prompt.messages[0].caption, std::string("钥匣"));
    QVERIFY(u(m_prompt.messages[0].text).contains(QStringLiteral("不是有效的证书文件")));

    // A certificate with bytes after it is refused as well.
    Bytes padded = m_user.der();
    padded.push_back(0);
    const std::string trailing = writeFile(dir.path(), "CERTpad000", padded);
    m_prompt.messages.clear();
    QCOMPARE(yx::viewer::runViewer({QStringLiteral("yaoxia-viewer"), QString::fromStdString(trailing)}), 1);
    QCOMPARE(m_prompt.messages.size(), size_t(1));

    m_prompt.messages.clear();
    QCOMPARE(
        yx::viewer::runViewer({QStringLiteral("yaoxia-viewer"), QString::fromStdString(dir.file("gone"))}),
        1);
    QCOMPARE(m_prompt.messages.size(), size_t(1));
    QVERIFY(u(m_prompt.messages[0].text).contains(QStringLiteral("找不到")));

    m_prompt.messages.clear();
    QVERIFY(yx::viewer::runViewer({QStringLiteral("yaoxia-viewer")}) != 0);
    QCOMPARE(m_prompt.messages.size(), size_t(1));

    // A PEM file of a certificate is accepted too.
    std::string err;
    QVERIFY(yx::viewer::loadCertificateFile(writeFile(dir.path(), "u.pem", m_user.pem()), err) != nullptr);
    QVERIFY(err.empty());
}

QTEST_MAIN(CertViewerTest)
#include "CertViewerTest.moc"
