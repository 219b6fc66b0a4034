// Encryption and decryption runs end to end, checked independently with the openssl tool: each
// record's blob is unwrapped with `openssl pkeyutl` and the payload decrypted with
// `openssl enc -d -des-ede3-cbc`; then the malformed files, the result codes and their messages,
// cancel and what happens to source and target.
#include "EncryptionEngine.h"
#include "CertList.h"
#include "DecryptOperation.h"
#include "FilePathHelpers.h"
#include "GbkText.h"
#include "KvxTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

using namespace yx::kvx;
using namespace kvxtest;
using yxtest::Issued;

namespace {

struct Progress : EngineObserver {
    void progress(int percent) override { seen.push_back(percent); }
    void finished(int) override {}
    std::vector<int> seen;
};

// Sets the cancel flag when the first progress arrives.
struct CancelAtFirstProgress : EngineObserver {
    explicit CancelAtFirstProgress(std::atomic<int>& f) : flag(f) {}
    void progress(int) override {
        ++calls;
        flag = 1;
    }
    void finished(int) override {}
    std::atomic<int>& flag;
    int calls = 0;
};

using std::filesystem::exists;

// No temporary output may be left in the folder.
size_t filesIn(const std::string& dir) {
    size_t n = 0;
    for (auto& e : std::filesystem::directory_iterator(dir))
        n += e.is_regular_file() ? 1 : 0;
    return n;
}

class Engine : public ::testing::Test {
protected:
    void SetUp() override {
        alice = ca.issue({.cn = "张三", .email = "zhang@example.cn", .keyIndex = 1});
        bob = ca.issue({.cn = "李四", .keyIndex = 2});
        carol = ca.issue({.cn = "Carol Other", .keyIndex = 3});
        ASSERT_TRUE(addToStore("my", alice));
        ASSERT_TRUE(addToStore("my", bob));
        ASSERT_TRUE(addToStore("other", carol));
    }

    int encrypt(const std::string& src, const std::string& dst, std::vector<X509*> to,
                const std::string& pw = "", bool deleteSource = false, EngineObserver* obs = nullptr,
                std::atomic<int>* cancel = nullptr) {
        CCertList list;
        for (X509* x : to)
            list.Add(certObject(x).release(), true);
        EncryptJob job{src, dst, &list, pw, deleteSource, false};
        CEncryptionEngine engine(obs, cancel);
        return engine.encrypt(job);
    }

    int decrypt(const std::string& src, const std::string& dst, const std::string& pw = "",
                const std::string& thumb = "", EngineObserver* obs = nullptr,
                std::atomic<int>* cancel = nullptr) {
        DecryptJob job;
        const int rc = prepareDecrypt({src, dst, pw, thumb, false, nullptr}, job);
        if (rc != 0)
            return rc;
        CEncryptionEngine engine(obs, cancel);
        return engine.decrypt(job);
    }

    // Checks a file independently of the code under test; returns the session key's hex.
    std::string verifyWithOpenssl(const std::string& file, const Bytes& plain, const std::string& ext,
                                  const std::vector<const Issued*>& recipients, bool prot) {
        const Bytes b = yxtest::readFile(file);
        const size_t n = recipients.size();
        const size_t offset = 664 + 1688 * n;
        EXPECT_EQ(b.size(), offset + 8 * (plain.size() / 8 + 1));
        if (b.size() < offset)
            return "";
        EXPECT_EQ(std::string(b.begin(), b.begin() + 16), "KavexFileType=2;");
        EXPECT_EQ(b[16], prot ? '1' : '0');
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[17])), ext);
        const uint32_t size = b[276] | b[277] << 8 | b[278] << 16 | static_cast<uint32_t>(b[279]) << 24;
        EXPECT_EQ(size, static_cast<uint32_t>(plain.size()));
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[280])),
                  "Microsoft Enhanced Cryptographic Provider v1.0");
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[536])), "3DES");
        std::string keyHex;
        for (size_t i = 0; i < n; ++i) {
            const unsigned char* r = &b[664 + 1688 * i];
            EXPECT_EQ(std::memcmp(r, "KavexEncStruct\0\0\0\0\0\0", 20), 0);
            auto cert = certObject(recipients[i]->cert.get());
            std::string name, subject, serial, thumb;
            cert->getDisplayName(name);
            cert->getSubjectName(subject);
            cert->getSerialNumber(serial);
            cert->getThumbPrint(thumb);
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(r + 20)), *yx::utf8ToGbk(name));
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(r + 276)), *yx::utf8ToGbk(subject));
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(r + 788)), serial);
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(r + 916)), thumb);
            const uint32_t len =
                r[1172] | r[1173] << 8 | r[1174] << 16 | static_cast<uint32_t>(r[1175]) << 24;
            const int modulus = EVP_PKEY_get_size(recipients[i]->key.get());
            EXPECT_EQ(len, 12u + static_cast<uint32_t>(modulus));
            const Bytes blob(r + 1176, r + 1176 + len);
            for (size_t z = 1176 + len; z < 1688; ++z)
                EXPECT_EQ(r[z], 0) << z;
            const Bytes key = opensslUnwrap(
                blob, pemKeyFile(files.path(), "rk.pem", recipients[i]->key.get()), files.path());
            EXPECT_EQ(key.size(), 24u);
            EXPECT_EQ(key, withOddParity(key)) << "CryptoAPI keeps DES keys with odd parity";
            if (i == 0)
                keyHex = hex(key);
            else
                EXPECT_EQ(hex(key), keyHex) << "every record wraps the same session key";
        }
        const std::string payload = yxtest::writeFile(files.path(), "payload.bin",
                                                      Bytes(b.begin() + static_cast<long>(offset), b.end()));
        const auto back = opensslDecrypt(payload, keyHex, files.path());
        EXPECT_TRUE(back && *back == plain) << "openssl decrypts the payload to the source";
        return keyHex;
    }

    yxtest::ScopedDataRoot root;
    yxtest::TempDir files;
    yxtest::TestCa ca;
    RecordingPrompt prompt;
    Issued alice, bob, carol;
};

TEST_F(Engine, SizesOneRecipientNoPasswordAgainstOpenssl) {
    for (size_t size : {size_t(1), size_t(7), size_t(8), size_t(1007), size_t(1008), size_t(1009),
                        size_t(2016), size_t(3u << 20) + 5}) {
        const Bytes plain = randomBytes(size, static_cast<unsigned>(size));
        const std::string src = yxtest::writeFile(files.path(), "source.dat", plain);
        const std::string dst = files.file("source.dat.kvx");
        prompt.clear();
        ASSERT_EQ(encrypt(src, dst, {alice.cert.get()}), 0) << size;
        EXPECT_EQ(prompt.texts(), std::vector<std::string>{"加密成功！"});
        EXPECT_EQ(prompt.messages[0].icon, yx::MsgIcon::Information);
        EXPECT_EQ(prompt.messages[0].caption, "钥匣");
        verifyWithOpenssl(dst, plain, ".dat", {&alice}, false);

        prompt.clear();
        Progress p;
        ASSERT_EQ(decrypt(dst, files.file("out"), "", "", &p), 0) << size;
        EXPECT_EQ(yxtest::readFile(files.file("out.dat")), plain);
        EXPECT_TRUE(prompt.texts().empty());
        ASSERT_FALSE(p.seen.empty());
        EXPECT_EQ(p.seen.back(), 100);
        std::remove(files.file("out.dat").c_str());
    }
}

TEST_F(Engine, PasswordAndSeveralRecipientsAgainstOpenssl) {
    for (size_t size : {size_t(1), size_t(8), size_t(1008), size_t(1009), size_t(2016), size_t(2u << 20)}) {
        const Bytes plain = randomBytes(size, static_cast<unsigned>(size) + 99);
        const std::string src = yxtest::writeFile(files.path(), "报告.doc", plain);
        const std::string dst = files.file("报告.doc.kvx");
        ASSERT_EQ(encrypt(src, dst, {alice.cert.get(), carol.cert.get(), bob.cert.get()}, "口令pw"), 0);
        const std::string keyHex = verifyWithOpenssl(dst, plain, ".doc", {&alice, &carol, &bob}, true);
        // The session key is the one the password derives, computed here with openssl dgst.
        EXPECT_EQ(keyHex,
                  hex(withOddParity(expectedPasswordKey(yx::utf8ToGbk("口令pw").value(), files.path()))));

        // Each recipient the user holds can decrypt; the password is checked as well.
        for (const Issued* who : {&alice, &bob}) {
            const std::string out = files.file("plain-out");
            ASSERT_EQ(decrypt(dst, out, "口令pw", thumbOf(who->cert.get())), 0);
            EXPECT_EQ(yxtest::readFile(out + ".doc"), plain);
            std::remove((out + ".doc").c_str());
        }
    }
}

TEST_F(Engine, EncryptionFailuresAndTheirMessages) {
    const std::string empty = yxtest::writeFile(files.path(), "empty.txt", std::string());
    EXPECT_EQ(encrypt(empty, files.file("e.kvx"), {alice.cert.get()}), 201);
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{"源文件内容为空！"});
    EXPECT_EQ(prompt.messages[0].icon, yx::MsgIcon::Error);
    EXPECT_FALSE(exists(files.file("e.kvx")));

    const std::string src = yxtest::writeFile(files.path(), "s.txt", std::string("content"));
    prompt.clear();
    EXPECT_EQ(encrypt(src, files.file("none.kvx"), {}, "", true), 203);
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{"加解密函数调用错误！"});
    EXPECT_FALSE(exists(files.file("none.kvx")));
    EXPECT_TRUE(exists(src)) << "a failure never deletes the source";

    prompt.clear();
    EXPECT_EQ(encrypt(src, files.file("no/such/folder/x.kvx"), {alice.cert.get()}), 202);
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{"文件读写错误！"});

    prompt.clear();
    EXPECT_EQ(encrypt(files.file("absent.txt"), files.file("a.kvx"), {alice.cert.get()}), 202);
    EXPECT_EQ(prompt.texts(), (std::vector<std::string>{"取文件长度时失败！", "文件读写错误！"}));
    EXPECT_FALSE(exists(files.file("a.kvx")));
    EXPECT_EQ(filesIn(files.path()), 2u);
}

TEST_F(Engine, RecipientKeysTheRecordCannotHold) {
    const std::string src = yxtest::writeFile(files.path(), "s.txt", std::string("content"));
    // A 4008-bit modulus makes a 513-byte blob: one more than the record holds.
    Issued big = ca.issue({.cn = "Big Key", .keyIndex = 9, .keyBits = 4008});
    const Bytes before = yxtest::readFile(src);
    EXPECT_EQ(encrypt(src, files.file("big.kvx"), {alice.cert.get(), big.cert.get()}), 209);
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{"证书的公钥太长，无法加密会话密钥！"});
    EXPECT_FALSE(exists(files.file("big.kvx")));

    // A 4000-bit modulus just fits (500 + 12 bytes).
    Issued fits = ca.issue({.cn = "Fits", .keyIndex = 10, .keyBits = 4000});
    ASSERT_EQ(encrypt(src, files.file("fits.kvx"), {fits.cert.get()}), 0);
    verifyWithOpenssl(files.file("fits.kvx"), before, ".txt", {&fits}, false);

    // An EC certificate has no RSA key-exchange key.
    Issued ec = ca.issue({.cn = "EC", .ecKey = true});
    prompt.clear();
    EXPECT_EQ(encrypt(src, files.file("ec.kvx"), {ec.cert.get()}), 205);
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{"从证书导入公钥失败！"});

    // A list entry without a certificate.
    CCertList list;
    list.Add(new CDigitalCertificate("junk", 4, CDigitalCertificate::DER), true);
    EncryptJob job{src, files.file("junk.kvx"), &list, "", false, true};
    prompt.clear();
    EXPECT_EQ(CEncryptionEngine(nullptr, nullptr).encrypt(job), 204);
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{"复制证书内容错误！"});
    EXPECT_EQ(yxtest::readFile(src), before);
}

TEST_F(Engine, DeleteSourceOnlyAfterSuccessAndQuietRun) {
    const Bytes plain = randomBytes(5000, 4);
    const std::string src = yxtest::writeFile(files.path(), "gone.bin", plain);
    CCertList list;
    auto cert = certObject(alice.cert.get());
    list.Add(cert.get(), false);
    EncryptJob job{src, files.file("gone.kvx"), &list, "", true, true};
    ASSERT_EQ(CEncryptionEngine(nullptr, nullptr).encrypt(job), 0);
    EXPECT_TRUE(prompt.texts().empty()) << "quiet: no success message";
    EXPECT_FALSE(exists(src));
    ASSERT_EQ(decrypt(files.file("gone.kvx"), files.file("back")), 0);
    EXPECT_EQ(yxtest::readFile(files.file("back.bin")), plain);
    EXPECT_EQ(list.GetAt(0), cert.get());
    EXPECT_EQ(list.GetAt(1), nullptr);
    EXPECT_EQ(list.GetAt(-1), nullptr);
}

TEST_F(Engine, CancelRemovesTheTargetAndKeepsTheSource) {
    const Bytes plain = randomBytes(1008 * 400, 6);
    const std::string src = yxtest::writeFile(files.path(), "c.bin", plain);
    const std::string older = "an older file";
    const std::string old = yxtest::writeFile(files.path(), "c.kvx", older);
    std::atomic<int> flag{0};
    CancelAtFirstProgress obs(flag);
    EXPECT_EQ(encrypt(src, old, {alice.cert.get()}, "", true, &obs, &flag), 208);
    EXPECT_EQ(obs.calls, 1) << "the flag is read after the piece that reported";
    EXPECT_TRUE(prompt.texts().empty()) << "a cancel shows no message";
    EXPECT_EQ(yxtest::readFile(src), plain);
    // The cancelled run wrote into a temporary file: what was there before is untouched.
    EXPECT_EQ(yxtest::readFile(old), Bytes(older.begin(), older.end()));
    EXPECT_EQ(filesIn(files.path()), 2u);

    ASSERT_EQ(encrypt(src, files.file("d.kvx"), {alice.cert.get()}), 0);
    prompt.clear();
    flag = 0;
    CancelAtFirstProgress obs2(flag);
    EXPECT_EQ(decrypt(files.file("d.kvx"), files.file("d.out"), "", "", &obs2, &flag), 208);
    EXPECT_FALSE(exists(files.file("d.out.bin")));
    EXPECT_TRUE(exists(files.file("d.kvx")));
    EXPECT_TRUE(prompt.texts().empty());
}

class EngineMalformed : public Engine {
protected:
    void SetUp() override {
        Engine::SetUp();
        plain = randomBytes(3000, 8);
        src = yxtest::writeFile(files.path(), "m.txt", plain);
        ASSERT_EQ(encrypt(src, files.file("m.kvx"), {alice.cert.get()}, "pw"), 0);
        good = yxtest::readFile(files.file("m.kvx"));
        prompt.clear();
    }
    // Decrypts `bytes` as a file: the result, the messages, and whether any output appeared.
    int run(const Bytes& bytes, const std::string& pw = "pw") {
        const std::string f = yxtest::writeFile(files.path(), "bad.kvx", bytes);
        prompt.clear();
        const size_t before = filesIn(files.path());
        const int rc = decrypt(f, files.file("bad-out"), pw);
        EXPECT_EQ(filesIn(files.path()), before + (rc == 0 ? 1 : 0)) << "output only on success";
        return rc;
    }
    Bytes plain, good;
    std::string src;
};

// The head's rules are HeadReadersTest's; here the codes a run gives for what the readers find.
TEST_F(EngineMalformed, HeadProblems) {
    EXPECT_EQ(run(Bytes(good.begin(), good.begin() + 300)), 218);
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{"读加密文件格式错误！"});
    Bytes untagged = good;
    untagged[664] = 'k';
    EXPECT_EQ(run(untagged), 219);
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{"没有可用的解密证书！"});
    EXPECT_EQ(prompt.messages[0].icon, yx::MsgIcon::Warning);
    Bytes v1 = good;
    v1[14] = '1';
    EXPECT_EQ(run(v1), 217);
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{"调用加密函数失败，解密失败！"});
    EXPECT_EQ(run(Bytes(good.begin(), good.begin() + 664 + 1688)), 211);
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{"加密文件损坏!"});
}

TEST_F(EngineMalformed, RecordsOfCertificatesTheUserLacks) {
    // A file only for carol, whose certificate sits in the other-people store without a key.
    ASSERT_EQ(encrypt(src, files.file("carol.kvx"), {carol.cert.get()}), 0);
    EXPECT_EQ(run(yxtest::readFile(files.file("carol.kvx"))), 219);
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{"没有可用的解密证书！"});

    // The engine's own look-up, given a record the personal store does not have.
    DecryptJob job;
    ASSERT_EQ(prepareDecrypt({files.file("m.kvx"), files.file("x"), "pw", "", false, nullptr}, job), 0);
    Bytes carolFile = yxtest::readFile(files.file("carol.kvx"));
    std::memcpy(job.record.data(), &carolFile[664], 1688);
    prompt.clear();
    EXPECT_EQ(CEncryptionEngine(nullptr, nullptr).decrypt(job), 212);
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{"没有可用的证书"});

    // A certificate in the personal store without its private key.
    Issued dave = ca.issue({.cn = "Dave", .keyIndex = 4});
    ASSERT_TRUE(addToStore("my", dave, std::nullopt, false));
    ASSERT_EQ(encrypt(src, files.file("dave.kvx"), {dave.cert.get()}), 0);
    EXPECT_EQ(run(yxtest::readFile(files.file("dave.kvx")), ""), 213);
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{"寻找证书私钥失败！"});
}

TEST_F(EngineMalformed, FileEmptiedAfterItsHeadWasRead) {
    // The head was read when the run was prepared; the file is empty by the time the run starts.
    DecryptJob job;
    const std::string f = yxtest::writeFile(files.path(), "emptied.kvx", good);
    ASSERT_EQ(prepareDecrypt({f, files.file("emptied-out"), "pw", "", false, nullptr}, job), 0);
    yxtest::writeFile(files.path(), "emptied.kvx", Bytes{});
    const size_t before = filesIn(files.path());
    prompt.clear();
    EXPECT_EQ(CEncryptionEngine(nullptr, nullptr).decrypt(job), 210);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, "加密文件内容为空!"); // half-width "!"
    EXPECT_EQ(prompt.messages[0].icon, yx::MsgIcon::Error);
    EXPECT_EQ(filesIn(files.path()), before) << "nothing written";
}

TEST_F(EngineMalformed, TruncatedOrDamagedPayload) {
    EXPECT_EQ(run(Bytes(good.begin(), good.end() - 3)), 203);
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{"加解密函数调用错误！"});
    // A whole block less or more: the last block's padding no longer checks out.
    EXPECT_NE(run(Bytes(good.begin(), good.end() - 8)), 0);
    Bytes extra = good;
    extra.insert(extra.end(), 8, 0);
    EXPECT_NE(run(extra), 0);
}

TEST_F(EngineMalformed, PayloadThatLooksLikeARecord) {
    // With a password the session key is known, so a source can be chosen whose ciphertext
    // begins with the record tag: openssl decrypts the wanted ciphertext (no padding) with the
    // derived key, and that plaintext is the source.
    Bytes wanted(1688, 0);
    std::memcpy(wanted.data(), "KavexEncStruct", 14);
    const std::string keyHex = hex(withOddParity(expectedPasswordKey("pw", files.path())));
    const std::string wf = yxtest::writeFile(files.path(), "wanted.bin", wanted);
    ASSERT_EQ(yxtest::runCommand({"openssl", "enc", "-d", "-nopad", "-des-ede3-cbc", "-K", keyHex, "-iv",
                                  "0000000000000000", "-in", wf, "-out", files.file("chosen.bin")}),
              0);
    Bytes chosen = yxtest::readFile(files.file("chosen.bin"));
    chosen.insert(chosen.end(), 100, 'z');
    std::remove(wf.c_str());
    std::remove(files.file("chosen.bin").c_str());
    const std::string s = yxtest::writeFile(files.path(), "chosen.txt", chosen);
    ASSERT_EQ(encrypt(s, files.file("chosen.kvx"), {alice.cert.get()}, "pw"), 0);
    const Bytes file = yxtest::readFile(files.file("chosen.kvx"));
    ASSERT_EQ(std::memcmp(&file[664 + 1688], "KavexEncStruct", 14), 0);
    // The readers take it as a second record (HeadReadersTest). Decrypted from behind the false record, as
    // every build does (the size field is not compared): the first block is lost to the chain, the rest is
    // the source's tail.
    EXPECT_EQ(run(file), 0);
    const Bytes out = yxtest::readFile(files.file("bad-out.txt"));
    ASSERT_EQ(out.size(), chosen.size() - 1688);
    EXPECT_TRUE(std::equal(out.begin() + 8, out.end(), chosen.begin() + 1696));
}

TEST_F(EngineMalformed, AnExtensionNamingAnotherFolderIsNotFollowed) {
    for (const std::string ext : {"/../escaped", ".a\\b"}) {
        Bytes evil = good;
        std::memset(&evil[17], 0, 259);
        std::memcpy(&evil[17], ext.c_str(), ext.size());
        const std::string f = yxtest::writeFile(files.path(), "evil.kvx", evil);
        DecryptJob job;
        ASSERT_EQ(prepareDecrypt({f, files.file("plain"), "pw", "", false, nullptr}, job), 0) << ext;
        EXPECT_EQ(job.target, files.file("plain")) << ext;
    }
}

} // namespace
