#pragma once
// One running copy per program folder: a lock file says who runs, and a local socket lets a
// later copy hand the running one its request before it ends.

#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
class QLockFile;

class SingleInstance
{
  public:
    explicit SingleInstance(QString programFolder);
    ~SingleInstance();

    // True for the first copy. A later copy asks the running one to come forward, or to open
    // the file when one is named, says so when it cannot, and gets false.
    bool acquire(const QString& fileToOpen);
    // Requests of later copies reach the handler from now on: the file to open, or an empty
    // text when a copy only asks the running one to come forward.
    void listen(std::function<void(const QString& fileToOpen)> handler);
    void stopListening();

    // The name under which the running copy listens.
    static QString instanceKey(const QString& programFolder);

  private:
    QString key_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<QLocalServer> server_;
};
