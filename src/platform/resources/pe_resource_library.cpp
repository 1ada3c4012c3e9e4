#include "platform/resources/pe_resource_library.h"

#include <span>

namespace pencora::resources {

PeResourceLibrary::~PeResourceLibrary() {
    close();
}

void PeResourceLibrary::close() {
    if (map_ != nullptr) {
        file_.unmap(map_);
        map_ = nullptr;
    }
    file_.close();
    size_ = 0;
    resources_.clear();
}

bool PeResourceLibrary::open(const QString& path) {
    close();
    error_.clear();
    file_.setFileName(path);
    if (!file_.open(QIODevice::ReadOnly)) {
        error_ = QStringLiteral("cannot open %1: %2").arg(path, file_.errorString());
        return false;
    }
    size_ = file_.size();
    map_ = size_ > 0 ? file_.map(0, size_) : nullptr;
    if (map_ == nullptr) {
        error_ = size_ > 0 ? QStringLiteral("cannot map %1: %2").arg(path, file_.errorString())
                           : QStringLiteral("%1: not a PE file: the file is empty").arg(path);
        close();
        return false;
    }
    PeResourceResult directory =
        readPeResources(std::span<const uint8_t>(map_, static_cast<size_t>(size_)));
    if (!directory.error.isEmpty()) {
        error_ = QStringLiteral("%1: %2").arg(path, directory.error);
        close();
        return false;
    }
    resources_ = std::move(directory.resources);
    return true;
}

const PeResource* PeResourceLibrary::find(QStringView type, QStringView name) const {
    const PeResource* found = nullptr;
    for (const PeResource& resource : resources_) {
        if (resource.type.compare(type, Qt::CaseInsensitive) != 0 ||
            resource.name.compare(name, Qt::CaseInsensitive) != 0) {
            continue;
        }
        if (resource.language == 0) {
            return &resource;
        }
        if (found == nullptr) {
            found = &resource;
        }
    }
    return found;
}

QByteArray PeResourceLibrary::read(const PeResource& resource) const {
    if (map_ == nullptr || resource.offset > static_cast<uint64_t>(size_) ||
        resource.size > static_cast<uint64_t>(size_) - resource.offset) {
        return {};
    }
    return QByteArray(reinterpret_cast<const char*>(map_ + resource.offset),
                      static_cast<qsizetype>(resource.size));
}

}  // namespace pencora::resources
