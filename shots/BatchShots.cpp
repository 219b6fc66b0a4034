// Several files as one job: the recipients dialog over a selection, and the progress window at
// the end of a job with files done, failed and skipped.
#include "Shots.h"

#include "CertList.h"
#include "CertStore.h"
#include "encryption/DlgBatchProgress.h"
#include "encryption/DlgEncryptFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

YX_SHOTS(batch) {
    QTemporaryDir dir;
    const QStringList names = {"季度报告.doc", "预算.xlsx", "空白.txt", "合同.pdf", "会议纪要.txt"};
    std::vector<yx::kvx::BatchFile> files;
    QStringList paths;
    for (const QString& name : names) {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(name == "空白.txt" ? QByteArray() : QByteArray(300000, 'x'));
        paths << path;
        files.push_back({path.toStdString(), path.toStdString() + ".kvx", name == "合同.pdf"});
    }

    CCertList chosen;
    CDlgEncryptFile encrypt(&chosen);
    encrypt.SetSourcePaths(paths);
    shots.save(&encrypt, QStringLiteral("encrypt-dialog-several"));

    CMyCertStore my;
    my.OpenCertStore();
    CCertList list;
    list.Add(my.getCert(0), false);
    CDlgBatchProgress progress(CDlgBatchProgress::Encrypt, files);
    progress.SetEncryptOptions({&list, "", false});
    QObject::connect(&progress, &CDlgBatchProgress::jobFinished, &progress, [&] {
        QTimer::singleShot(0, &progress, [&] {
            shots.save(&progress, QStringLiteral("batch-progress"));
            progress.reject();
        });
    });
    progress.exec();
}
