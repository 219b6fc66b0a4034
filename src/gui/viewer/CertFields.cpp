#include "CertFields.h"

#include "DigitalCertificate.h"
#include "OpenSslHolders.h"
#include "dialogs/DialogKit.h"

#include <openssl/core_names.h>

namespace yx::viewer {
namespace {

using dlgkit::qstr;

QString oidText(const ASN1_OBJECT* obj) {
    char buf[128];
    const int n = OBJ_obj2txt(buf, sizeof buf, obj, 1);
    return n > 0 ? QString::fromLatin1(buf, qMin(n, static_cast<int>(sizeof buf) - 1)) : QString();
}

QString asn1Text(const ASN1_STRING* s) {
    unsigned char* out = nullptr;
    const int n = ASN1_STRING_to_UTF8(&out, s);
    if (n < 0)
        return {};
    QString text = QString::fromUtf8(reinterpret_cast<char*>(out), n);
    OPENSSL_free(out);
    return text;
}

// Hex in lines of 16 bytes, for keys and other long binary values.
QString hexBlock(const unsigned char* data, int length) {
    QStringList lines;
    for (int i = 0; i < length; i += 16)
        lines << hexPairs(data + i, qMin(16, length - i));
    return lines.join(QLatin1Char('\n'));
}

QString indent(const QString& text, int spaces) {
    const QString pad(spaces, QLatin1Char(' '));
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& l : lines)
        l.prepend(pad);
    return lines.join(QLatin1Char('\n'));
}

QString signatureAlgorithmName(X509* cert) {
    static const std::pair<int, const char*> names[] = {
        {NID_sha256WithRSAEncryption, "sha256RSA"},
        {NID_sha384WithRSAEncryption, "sha384RSA"},
        {NID_sha512WithRSAEncryption, "sha512RSA"},
        {NID_sha1WithRSAEncryption, "sha1RSA"},
        {NID_md5WithRSAEncryption, "md5RSA"},
        {NID_sha224WithRSAEncryption, "sha224RSA"},
        {NID_ecdsa_with_SHA256, "sha256ECDSA"},
        {NID_ecdsa_with_SHA384, "sha384ECDSA"},
        {NID_ecdsa_with_SHA512, "sha512ECDSA"},
        {NID_ecdsa_with_SHA1, "sha1ECDSA"},
        {NID_rsassaPss, "RSASSA-PSS"},
        {NID_SM2_with_SM3, "sm3SM2"},
        {NID_ED25519, "Ed25519"},
        {NID_ED448, "Ed448"},
    };
    const int nid = X509_get_signature_nid(cert);
    for (const auto& [n, text] : names)
        if (n == nid)
            return QString::fromLatin1(text);
    const X509_ALGOR* alg = nullptr;
    X509_get0_signature(nullptr, &alg, cert);
    const ASN1_OBJECT* obj = nullptr;
    if (alg)
        X509_ALGOR_get0(&obj, nullptr, nullptr, alg);
    const char* ln = nid != NID_undef ? OBJ_nid2ln(nid) : nullptr;
    return ln ? QString::fromLatin1(ln) : oidText(obj);
}

QString publicKeySummary(X509* cert) {
    EVP_PKEY* key = X509_get0_pubkey(cert);
    if (!key)
        return QStringLiteral("未知");
    QString alg;
    switch (EVP_PKEY_get_base_id(key)) {
    case EVP_PKEY_RSA:
    case EVP_PKEY_RSA_PSS:
        alg = QStringLiteral("RSA");
        break;
    case EVP_PKEY_EC:
        alg = QStringLiteral("ECC");
        break;
    case EVP_PKEY_SM2:
        alg = QStringLiteral("SM2");
        break;
    case EVP_PKEY_DSA:
        alg = QStringLiteral("DSA");
        break;
    default:
        alg = QString::fromLatin1(EVP_PKEY_get0_type_name(key) ? EVP_PKEY_get0_type_name(key) : "?");
    }
    return QStringLiteral("%1 (%2 Bits)").arg(alg).arg(EVP_PKEY_get_bits(key));
}

QString publicKeyParameters(X509* cert) {
    X509_ALGOR* alg = nullptr;
    if (!X509_PUBKEY_get0_param(nullptr, nullptr, nullptr, &alg, X509_get_X509_PUBKEY(cert)) || !alg)
        return {};
    int type = 0;
    const void* value = nullptr;
    X509_ALGOR_get0(nullptr, &type, &value, alg);
    if (type == V_ASN1_OBJECT) {
        const auto* obj = static_cast<const ASN1_OBJECT*>(value);
        const int nid = OBJ_obj2nid(obj);
        const char* sn = nid != NID_undef ? OBJ_nid2sn(nid) : nullptr;
        return sn ? QStringLiteral("%1 (%2)").arg(QString::fromLatin1(sn), oidText(obj)) : oidText(obj);
    }
    if (type == V_ASN1_NULL)
        return QStringLiteral("05 00");
    return {};
}

QString generalName(const GENERAL_NAME* gn) {
    int type = 0;
    void* v = GENERAL_NAME_get0_value(gn, &type);
    switch (type) {
    case GEN_EMAIL:
        return QStringLiteral("RFC822 名称=") + asn1Text(static_cast<ASN1_STRING*>(v));
    case GEN_DNS:
        return QStringLiteral("DNS 名称=") + asn1Text(static_cast<ASN1_STRING*>(v));
    case GEN_URI:
        return QStringLiteral("URL=") + asn1Text(static_cast<ASN1_STRING*>(v));
    case GEN_DIRNAME:
        return QStringLiteral("目录地址:\n") + indent(nameLines(static_cast<X509_NAME*>(v)), 4);
    case GEN_IPADD: {
        const auto* ip = static_cast<ASN1_OCTET_STRING*>(v);
        const unsigned char* d = ASN1_STRING_get0_data(ip);
        const int n = ASN1_STRING_length(ip);
        if (n == 4)
            return QStringLiteral("IP 地址=%1.%2.%3.%4").arg(d[0]).arg(d[1]).arg(d[2]).arg(d[3]);
        return QStringLiteral("IP 地址=") + hexPairs(d, n);
    }
    case GEN_RID:
        return QStringLiteral("注册 ID=") + oidText(static_cast<ASN1_OBJECT*>(v));
    default:
        return QStringLiteral("其他名称");
    }
}

QString generalNames(const GENERAL_NAMES* names) {
    QStringList out;
    for (int i = 0; i < sk_GENERAL_NAME_num(names); ++i)
        out << generalName(sk_GENERAL_NAME_value(names, i));
    return out.join(QLatin1Char('\n'));
}

QString keyUsageText(const ASN1_BIT_STRING* bits) {
    static const std::pair<int, const char*> names[] = {
        {0, "数字签名"}, {1, "不可否认"}, {2, "密钥加密"}, {3, "数据加密"}, {4, "密钥协商"},
        {5, "证书签名"}, {6, "CRL 签名"}, {7, "仅加密"},   {8, "仅解密"},
    };
    QStringList set;
    for (const auto& [bit, name] : names)
        if (ASN1_BIT_STRING_get_bit(bits, bit))
            set << QString::fromUtf8(name);
    return QStringLiteral("%1 (%2)").arg(set.join(QStringLiteral(", ")),
                                         hexPairs(ASN1_STRING_get0_data(bits), ASN1_STRING_length(bits)));
}

template <typename T, auto FreeFn> std::unique_ptr<T, OsslDeleter<FreeFn>> decoded(X509_EXTENSION* ext) {
    return std::unique_ptr<T, OsslDeleter<FreeFn>>(static_cast<T*>(X509V3_EXT_d2i(ext)));
}

void freeEku(EXTENDED_KEY_USAGE* e) {
    sk_ASN1_OBJECT_pop_free(e, ASN1_OBJECT_free);
}
void freePolicies(CERTIFICATEPOLICIES* p) {
    sk_POLICYINFO_pop_free(p, POLICYINFO_free);
}
void freeInfoAccess(AUTHORITY_INFO_ACCESS* a) {
    sk_ACCESS_DESCRIPTION_pop_free(a, ACCESS_DESCRIPTION_free);
}

// What OpenSSL prints for an extension it knows but we do not spell out; hex otherwise.
QString printedExtension(X509_EXTENSION* ext) {
    BioPtr bio(BIO_new(BIO_s_mem()));
    if (X509V3_EXT_print(bio.get(), ext, 0, 0) == 1) {
        char* data = nullptr;
        const long n = BIO_get_mem_data(bio.get(), &data);
        return QString::fromUtf8(data, static_cast<qsizetype>(n)).trimmed();
    }
    const ASN1_OCTET_STRING* raw = X509_EXTENSION_get_data(ext);
    return hexBlock(ASN1_STRING_get0_data(raw), ASN1_STRING_length(raw));
}

// The key identifier, issuer and serial number an authority key identifier names.
QString authorityKeyIdText(const AUTHORITY_KEYID* akid) {
    QStringList lines;
    if (akid->keyid)
        lines << QStringLiteral("密钥标识符=") +
                     hexPairs(ASN1_STRING_get0_data(akid->keyid), ASN1_STRING_length(akid->keyid));
    if (akid->issuer)
        lines << QStringLiteral("证书颁发者:\n") + indent(generalNames(akid->issuer), 4);
    if (akid->serial)
        lines << QStringLiteral("证书序列号=") +
                     hexPairs(ASN1_STRING_get0_data(akid->serial), ASN1_STRING_length(akid->serial));
    return lines.join(QLatin1Char('\n'));
}

// One numbered entry per CRL distribution point.
QString distributionPointsText(const CRL_DIST_POINTS* points) {
    QStringList lines;
    for (int i = 0; i < sk_DIST_POINT_num(points); ++i) {
        const DIST_POINT* dp = sk_DIST_POINT_value(points, i);
        lines << QStringLiteral("[%1]CRL 分发点").arg(i + 1);
        if (dp->distpoint && dp->distpoint->type == 0)
            lines << QStringLiteral("    分发点名称:\n") +
                         indent(generalNames(dp->distpoint->name.fullname), 8);
        if (dp->CRLissuer)
            lines << QStringLiteral("    CRL 颁发者:\n") + indent(generalNames(dp->CRLissuer), 8);
    }
    return lines.join(QLatin1Char('\n'));
}

// One numbered entry per access description.
QString infoAccessText(const AUTHORITY_INFO_ACCESS* aia) {
    QStringList lines;
    for (int i = 0; i < sk_ACCESS_DESCRIPTION_num(aia); ++i) {
        const ACCESS_DESCRIPTION* ad = sk_ACCESS_DESCRIPTION_value(aia, i);
        const int method = OBJ_obj2nid(ad->method);
        const QString name = method == NID_ad_OCSP         ? QStringLiteral("联机证书状态协议")
                             : method == NID_ad_ca_issuers ? QStringLiteral("证书颁发机构颁发者")
                                                           : QString();
        lines << QStringLiteral("[%1]颁发机构信息访问").arg(i + 1);
        lines << QStringLiteral("    访问方法=%1 (%2)")
                     .arg(name.isEmpty() ? oidText(ad->method) : name, oidText(ad->method));
        lines << QStringLiteral("    备用名称:\n") + indent(generalName(ad->location), 8);
    }
    return lines.join(QLatin1Char('\n'));
}

// One numbered entry per policy with its CPS and user-notice qualifiers.
QString policiesText(const CERTIFICATEPOLICIES* policies) {
    QStringList lines;
    for (int i = 0; i < sk_POLICYINFO_num(policies); ++i) {
        const POLICYINFO* pi = sk_POLICYINFO_value(policies, i);
        lines << QStringLiteral("[%1]证书策略:").arg(i + 1);
        lines << QStringLiteral("    策略标识符=") + oidText(pi->policyid);
        for (int q = 0; q < sk_POLICYQUALINFO_num(pi->qualifiers); ++q) {
            const POLICYQUALINFO* qi = sk_POLICYQUALINFO_value(pi->qualifiers, q);
            if (OBJ_obj2nid(qi->pqualid) == NID_id_qt_cps)
                lines << QStringLiteral("    CPS: ") + asn1Text(qi->d.cpsuri);
            else if (OBJ_obj2nid(qi->pqualid) == NID_id_qt_unotice && qi->d.usernotice->exptext)
                lines << QStringLiteral("    用户通知: ") + asn1Text(qi->d.usernotice->exptext);
        }
    }
    return lines.join(QLatin1Char('\n'));
}

QString extensionValue(X509_EXTENSION* ext) {
    switch (OBJ_obj2nid(X509_EXTENSION_get_object(ext))) {
    case NID_key_usage:
        if (auto ku = decoded<ASN1_BIT_STRING, ASN1_BIT_STRING_free>(ext))
            return keyUsageText(ku.get());
        break;
    case NID_ext_key_usage:
        if (auto eku = decoded<EXTENDED_KEY_USAGE, freeEku>(ext)) {
            QStringList lines;
            for (int i = 0; i < sk_ASN1_OBJECT_num(eku.get()); ++i) {
                const ASN1_OBJECT* oid = sk_ASN1_OBJECT_value(eku.get(), i);
                lines << QStringLiteral("%1 (%2)").arg(purposeName(oid), oidText(oid));
            }
            return lines.join(QLatin1Char('\n'));
        }
        break;
    case NID_basic_constraints:
        if (auto bc = decoded<BASIC_CONSTRAINTS, BASIC_CONSTRAINTS_free>(ext)) {
            QString text = bc->ca ? QStringLiteral("主体类型=CA") : QStringLiteral("主体类型=最终实体");
            text += QStringLiteral("\n路径长度约束=");
            text += bc->pathlen ? QString::number(ASN1_INTEGER_get(bc->pathlen)) : QStringLiteral("无");
            return text;
        }
        break;
    case NID_subject_key_identifier:
        if (auto id = decoded<ASN1_OCTET_STRING, ASN1_OCTET_STRING_free>(ext))
            return hexPairs(ASN1_STRING_get0_data(id.get()), ASN1_STRING_length(id.get()));
        break;
    case NID_authority_key_identifier:
        if (auto akid = decoded<AUTHORITY_KEYID, AUTHORITY_KEYID_free>(ext))
            return authorityKeyIdText(akid.get());
        break;
    case NID_subject_alt_name:
    case NID_issuer_alt_name:
        if (auto names = decoded<GENERAL_NAMES, GENERAL_NAMES_free>(ext))
            return generalNames(names.get());
        break;
    case NID_crl_distribution_points:
        if (auto points = decoded<CRL_DIST_POINTS, CRL_DIST_POINTS_free>(ext))
            return distributionPointsText(points.get());
        break;
    case NID_info_access:
        if (auto aia = decoded<AUTHORITY_INFO_ACCESS, freeInfoAccess>(ext))
            return infoAccessText(aia.get());
        break;
    case NID_certificate_policies:
        if (auto policies = decoded<CERTIFICATEPOLICIES, freePolicies>(ext))
            return policiesText(policies.get());
        break;
    default:
        break;
    }
    return printedExtension(ext);
}

QString extensionName(const ASN1_OBJECT* obj) {
    static const std::pair<int, const char*> names[] = {
        {NID_basic_constraints, "基本约束"},
        {NID_key_usage, "密钥用法"},
        {NID_ext_key_usage, "增强型密钥用法"},
        {NID_subject_key_identifier, "使用者密钥标识符"},
        {NID_authority_key_identifier, "颁发机构密钥标识符"},
        {NID_subject_alt_name, "使用者可选名称"},
        {NID_issuer_alt_name, "颁发者可选名称"},
        {NID_crl_distribution_points, "CRL 分发点"},
        {NID_freshest_crl, "最新 CRL"},
        {NID_info_access, "颁发机构信息访问"},
        {NID_sinfo_access, "使用者信息访问"},
        {NID_certificate_policies, "证书策略"},
        {NID_policy_mappings, "策略映射"},
        {NID_policy_constraints, "策略约束"},
        {NID_name_constraints, "名称约束"},
        {NID_inhibit_any_policy, "禁止任何策略"},
        {NID_netscape_cert_type, "Netscape 证书类型"},
        {NID_netscape_comment, "Netscape 注释"},
        {NID_ct_precert_scts, "SCT 列表"},
        {NID_private_key_usage_period, "私钥使用期"},
    };
    const int nid = OBJ_obj2nid(obj);
    for (const auto& [n, text] : names)
        if (n == nid)
            return QString::fromUtf8(text);
    const char* ln = nid != NID_undef ? OBJ_nid2ln(nid) : nullptr;
    return ln ? QString::fromLatin1(ln) : oidText(obj);
}

} // namespace

QString CertField::shortValue() const {
    if (!column.isEmpty())
        return column;
    QStringList parts = value.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString& p : parts)
        p = p.trimmed();
    return parts.join(QStringLiteral(", "));
}

QString hexPairs(const unsigned char* data, int length) {
    QString out;
    out.reserve(length * 3);
    static const char digits[] = "0123456789abcdef";
    for (int i = 0; i < length; ++i) {
        if (i)
            out += QLatin1Char(' ');
        out += QLatin1Char(digits[data[i] >> 4]);
        out += QLatin1Char(digits[data[i] & 15]);
    }
    return out;
}

QString nameLines(const X509_NAME* name) {
    QStringList lines;
    for (int i = X509_NAME_entry_count(name) - 1; i >= 0; --i) {
        const X509_NAME_ENTRY* e = X509_NAME_get_entry(name, i);
        const ASN1_OBJECT* obj = X509_NAME_ENTRY_get_object(e);
        const int nid = OBJ_obj2nid(obj);
        QString key = nid == NID_pkcs9_emailAddress ? QStringLiteral("E")
                      : nid != NID_undef            ? QString::fromLatin1(OBJ_nid2sn(nid))
                                                    : oidText(obj);
        lines << key + QStringLiteral(" = ") + asn1Text(X509_NAME_ENTRY_get_data(e));
    }
    return lines.join(QLatin1Char('\n'));
}

QString purposeName(const ASN1_OBJECT* oid) {
    static const std::pair<const char*, const char*> names[] = {
        {"1.3.6.1.5.5.7.3.1", "服务器身份验证"},  {"1.3.6.1.5.5.7.3.2", "客户端身份验证"},
        {"1.3.6.1.5.5.7.3.3", "代码签名"},        {"1.3.6.1.5.5.7.3.4", "安全电子邮件"},
        {"1.3.6.1.5.5.7.3.5", "IP 安全端系统"},   {"1.3.6.1.5.5.7.3.6", "IP 安全隧道终止"},
        {"1.3.6.1.5.5.7.3.7", "IP 安全用户"},     {"1.3.6.1.5.5.7.3.8", "时间戳"},
        {"1.3.6.1.5.5.7.3.9", "OCSP 签名"},       {"2.5.29.37.0", "所有用途"},
        {"1.3.6.1.4.1.311.20.2.2", "智能卡登录"}, {"1.3.6.1.4.1.311.10.3.4", "加密文件系统"},
        {"1.3.6.1.4.1.311.10.3.12", "文档签名"},
    };
    const QString dotted = oidText(oid);
    for (const auto& [o, text] : names)
        if (dotted == QLatin1String(o))
            return QString::fromUtf8(text);
    const int nid = OBJ_obj2nid(oid);
    const char* ln = nid != NID_undef ? OBJ_nid2ln(nid) : nullptr;
    return ln ? QString::fromLatin1(ln) : dotted;
}

QStringList intendedPurposes(X509* cert) {
    QStringList out;
    auto* eku = static_cast<EXTENDED_KEY_USAGE*>(X509_get_ext_d2i(cert, NID_ext_key_usage, nullptr, nullptr));
    if (eku) {
        static const std::pair<int, const char*> sentences[] = {
            {NID_server_auth, "向客户端证明服务器（网站）的身份"},
            {NID_client_auth, "向远程计算机证明您的身份"},
            {NID_email_protect, "保护电子邮件消息"},
            {NID_code_sign, "证明软件来自其发行者"},
            {NID_time_stamp, "为数据加上可信的时间"},
            {NID_OCSP_sign, "签署证书状态应答（OCSP）"},
            {NID_anyExtendedKeyUsage, "所有用途"},
        };
        for (int i = 0; i < sk_ASN1_OBJECT_num(eku); ++i) {
            const ASN1_OBJECT* oid = sk_ASN1_OBJECT_value(eku, i);
            QString text = purposeName(oid);
            for (const auto& [nid, sentence] : sentences)
                if (OBJ_obj2nid(oid) == nid)
                    text = QString::fromUtf8(sentence);
            out << text;
        }
        freeEku(eku);
    }
    const uint32_t ku = X509_get_key_usage(cert);
    if (ku != UINT32_MAX) {
        static const std::pair<uint32_t, const char*> uses[] = {
            {KU_DIGITAL_SIGNATURE, "数字签名（签名电子邮件、文件和登录）"},
            {KU_NON_REPUDIATION, "不可否认（证明签名确由本人所为）"},
            {KU_KEY_ENCIPHERMENT, "加密（为您加密文件和电子邮件）"},
            {KU_DATA_ENCIPHERMENT, "直接加密数据"},
            {KU_KEY_AGREEMENT, "密钥协商"},
            {KU_KEY_CERT_SIGN, "签发证书"},
            {KU_CRL_SIGN, "签发证书吊销列表（CRL）"},
        };
        for (const auto& [bit, text] : uses)
            if (ku & bit)
                out << QString::fromUtf8(text);
    }
    out.removeDuplicates();
    return out;
}

QList<CertField> certificateFields(CDigitalCertificate& cert) {
    QList<CertField> out;
    const auto& ctx = cert.getPCCERT();
    if (!ctx || !ctx->x509)
        return out;
    X509* x = ctx->x509.get();
    auto info = [&](const char* key) {
        std::string v;
        cert.GetCertInfo(key, v);
        return qstr(v);
    };
    auto add = [&](CertField::Kind kind, const QString& name, const QString& value,
                   const QString& column = QString()) {
        out.append(CertField{kind, name, value, column});
    };

    add(CertField::BasicField, QStringLiteral("版本"), info("Version"));
    const QByteArray serial = info("SerialNumber").toLatin1();
    const QByteArray serialBytes = QByteArray::fromHex(serial);
    add(CertField::BasicField, QStringLiteral("序列号"),
        hexPairs(reinterpret_cast<const unsigned char*>(serialBytes.constData()),
                 static_cast<int>(serialBytes.size())));
    add(CertField::BasicField, QStringLiteral("签名算法"), signatureAlgorithmName(x));
    int mdNid = NID_undef;
    if (X509_get_signature_info(x, &mdNid, nullptr, nullptr, nullptr) && mdNid != NID_undef)
        add(CertField::BasicField, QStringLiteral("签名哈希算法"),
            QString::fromLatin1(OBJ_nid2sn(mdNid)).toLower());
    add(CertField::BasicField, QStringLiteral("颁发者"), nameLines(X509_get_issuer_name(x)));
    add(CertField::BasicField, QStringLiteral("有效期从"), info("ValidFromDate"));
    add(CertField::BasicField, QStringLiteral("到"), info("ValidToDate"));
    add(CertField::BasicField, QStringLiteral("使用者"), nameLines(X509_get_subject_name(x)));
    const ASN1_BIT_STRING* keyBits = X509_get0_pubkey_bitstr(x);
    const QString keySummary = publicKeySummary(x);
    QString keyText = keySummary;
    if (keyBits)
        keyText +=
            QStringLiteral("\n\n") + hexBlock(ASN1_STRING_get0_data(keyBits), ASN1_STRING_length(keyBits));
    add(CertField::BasicField, QStringLiteral("公钥"), keyText, keySummary);
    const QString params = publicKeyParameters(x);
    if (!params.isEmpty())
        add(CertField::BasicField, QStringLiteral("公钥参数"), params);

    for (int i = 0; i < X509_get_ext_count(x); ++i) {
        X509_EXTENSION* ext = X509_get_ext(x, i);
        add(X509_EXTENSION_get_critical(ext) ? CertField::CriticalExtension : CertField::Extension,
            extensionName(X509_EXTENSION_get_object(ext)), extensionValue(ext));
    }

    add(CertField::Property, QStringLiteral("指纹算法"), QStringLiteral("sha1"));
    add(CertField::Property, QStringLiteral("指纹"), info("ThumbPrint"));
    return out;
}

} // namespace yx::viewer
