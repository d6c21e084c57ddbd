#include "qt/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QStandardPaths>

namespace tetomu {

SingleInstance::SingleInstance(const QString& programDirectory) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    const QByteArray key = QCryptographicHash::hash(QDir::cleanPath(programDirectory).toUtf8(),
                                                    QCryptographicHash::Sha1)
                               .toHex()
                               .left(16);
    lockPath_ =
        folder + QStringLiteral("/tetomu-") + QString::fromLatin1(key) + QStringLiteral(".lock");
}

SingleInstance::~SingleInstance() {
    if (fd_ >= 0) ::close(fd_);
}

bool SingleInstance::anotherCopyRunning() {
    if (fd_ >= 0) return false;
    const int fd =
        ::open(QFile::encodeName(lockPath_).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // Without a lock file there is no way to tell; running is better than refusing to start.
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return true;
    }
    fd_ = fd;
    return false;
}

}  // namespace tetomu
