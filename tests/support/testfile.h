#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

// Writes a file into the test's own folder for the code under test to read,
// and gives its path.
inline QString writeTestFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}
