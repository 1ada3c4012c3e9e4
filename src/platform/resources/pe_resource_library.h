// A resource library: a PE file (a DLL used only as a container) mapped into memory. Opening
// reads the resource directory only; the bytes of a resource are copied out when asked for,
// so a library of hundreds of megabytes costs little until its movies are read.
#pragma once

#include "platform/resources/pe_resource_directory.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringView>
#include <vector>

namespace pencora::resources {

class PeResourceLibrary {
  public:
    PeResourceLibrary() = default;
    PeResourceLibrary(const PeResourceLibrary&) = delete;
    PeResourceLibrary& operator=(const PeResourceLibrary&) = delete;
    ~PeResourceLibrary();

    // Maps `path` and reads its resource directory, closing what was open before. On failure
    // the library is closed and error() says why, naming the file.
    bool open(const QString& path);
    void close();
    bool isOpen() const { return map_ != nullptr; }
    const QString& error() const { return error_; }

    const std::vector<PeResource>& resources() const { return resources_; }

    // The resource of `type` named `name`, both compared ignoring case ("#10" finds a
    // numbered one). Among its languages the neutral one wins, else the first listed.
    const PeResource* find(QStringView type, QStringView name) const;

    // The bytes of a resource of this library, copied out of the mapping.
    QByteArray read(const PeResource& resource) const;

  private:
    QFile file_;
    uchar* map_ = nullptr;
    qint64 size_ = 0;
    std::vector<PeResource> resources_;
    QString error_;
};

}  // namespace pencora::resources
