// The resource directory of a PE file: every resource as type, name and language with the
// place of its bytes in the file. Types and names are texts; a numbered one is "#" and its
// number ("#10" for raw data), as Windows spells numbered resources.
#pragma once

#include <QString>
#include <cstdint>
#include <span>
#include <vector>

namespace pencora::resources {

struct PeResource {
    QString type;
    QString name;
    uint16_t language = 0;
    uint64_t offset = 0;  // in the file, checked to lie inside it
    uint32_t size = 0;
};

struct PeResourceResult {
    std::vector<PeResource> resources;  // in directory order
    QString error;                      // empty on success
};

// Reads the headers and walks the three levels type -> name -> language. A file without a
// resource directory has no resources and no error. Every offset, size and count is checked
// against the resource section; a directory reached twice, a name or entry running past the
// section and data outside every section are errors naming what and where.
PeResourceResult readPeResources(std::span<const uint8_t> file);

}  // namespace pencora::resources
