// Paths keep their bytes through the user interface's texts: valid UTF-8 reads as itself, any
// other byte survives the way there and back, and a dropped file's URL gives the name's bytes.
#include "LocalPath.h"

#include <QUrl>
#include <QtTest>

using namespace yx;

class LocalPathTest : public QObject {
    Q_OBJECT
private slots:
    void bytesSurviveTheWayThereAndBack();
    void droppedUrlGivesTheNameBytes();
};

void LocalPathTest::bytesSurviveTheWayThereAndBack() {
    struct Case {
        std::string bytes;
        QString readsAs; // empty: only the bytes matter
    };
    const Case cases[] = {
        {"/tmp/季度报告.doc", QStringLiteral("/tmp/季度报告.doc")},
        {"/tmp/\xBC\xBE\xB6\xC8.txt", {}},               // GBK
        {"/tmp/\xC3\x28 \xE2\x82 \xF0\x9F\x98\x80", {}}, // broken sequences around a valid emoji
        {"\xED\xA0\x80 \xC0\xAF \xF4\x90\x80\x80", {}},  // encoded surrogate, overlong, beyond U+10FFFF
        {std::string("a\0b", 3), {}},
    };
    for (const Case& c : cases) {
        const QString text = pathText(c.bytes);
        QCOMPARE(pathBytes(text), c.bytes);
        if (!c.readsAs.isEmpty())
            QCOMPARE(text, c.readsAs);
    }
    QCOMPARE(pathText("\xBC\xBE").size(), qsizetype(2)); // one character per foreign byte
}

void LocalPathTest::droppedUrlGivesTheNameBytes() {
    const QUrl gbk = QUrl::fromEncoded("file:///tmp/%BC%BE%B6%C8%20a.txt");
    QCOMPARE(pathBytes(pathOfLocalUrl(gbk)), std::string("/tmp/\xBC\xBE\xB6\xC8 a.txt"));
    const QUrl utf8 = QUrl::fromLocalFile(QStringLiteral("/tmp/报告 #1.txt"));
    QCOMPARE(pathOfLocalUrl(utf8), QStringLiteral("/tmp/报告 #1.txt"));
    QVERIFY(pathOfLocalUrl(QUrl(QStringLiteral("https://example.com/x"))).isEmpty());
}

QTEST_GUILESS_MAIN(LocalPathTest)
#include "LocalPathTest.moc"
