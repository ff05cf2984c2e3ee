#pragma once
// One running copy per program folder: a lock file says who runs, and a local socket lets a
// later copy hand the running one its request before it ends.

#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
class QLockFile;

// What a later copy asks of the running one. Nothing asked: come forward.
struct InstanceRequest
{
    QString fileToOpen;   // a file to open, or empty
    bool connect = false; // connect the camera, as the Device menu's Connect does
};

class SingleInstance
{
  public:
    explicit SingleInstance(QString programFolder);
    ~SingleInstance();

    enum class Outcome
    {
        First,      // this copy runs
        HandedOver, // a later copy whose file or connect request reached the running one
        Refused,    // a later copy that asked nothing else, or could not reach the running one
    };
    // A later copy hands the running one its request (at least to come forward) and says so
    // when it asks nothing else or cannot reach it.
    Outcome acquire(const InstanceRequest& request);
    // Requests of later copies reach the handler from now on, one call per request.
    void listen(std::function<void(const InstanceRequest& request)> handler);
    void stopListening();

    // The name under which the running copy listens.
    static QString instanceKey(const QString& programFolder);

  private:
    QString key_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<QLocalServer> server_;
};
