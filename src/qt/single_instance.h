#pragma once
// One copy of the program per program folder. The first copy holds an advisory lock on a file in
// the user's runtime folder, named after the program folder; the system lets go of the lock
// when that copy ends in any way, so a copy that crashed never blocks the next start.
#include <QString>

namespace tetomu {

class SingleInstance {
  public:
    explicit SingleInstance(const QString& programDirectory);
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;
    ~SingleInstance();

    // Takes the lock if it is free and keeps it for the life of this object. True when another
    // copy holds it.
    bool anotherCopyRunning();
    const QString& lockPath() const { return lockPath_; }

  private:
    QString lockPath_;
    int fd_ = -1;
};

}  // namespace tetomu
