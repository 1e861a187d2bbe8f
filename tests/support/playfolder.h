#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A fresh working directory holding the game's two tunes, as the player's
// play folder does; the previous working directory comes back afterwards.
class PlayFolder
{
public:
    PlayFolder() : previous_(QDir::currentPath())
    {
        for (const char *tune : {"100m.mid", "goal.mid"})
            QFile::copy(QStringLiteral(MILTA_DATA_DIR "/") + tune, folder_.filePath(tune));
        QDir::setCurrent(folder_.path());
    }
    ~PlayFolder() { QDir::setCurrent(previous_); }

    QString path() const { return folder_.path(); }
    QString filePath(const QString &name) const { return folder_.filePath(name); }

private:
    QString previous_;
    QTemporaryDir folder_;
};
