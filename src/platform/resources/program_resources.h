// The program's own resources: data compiled into the executable as Qt resources, found by
// type and name the way the original's resource section was, both ignoring case.
//
// A resource of type T named N is the Qt resource file ":/pencora/T/N" (no extension). A
// library that brings resources adds them with
//   qt_add_resources(<target> "<name>" PREFIX "/pencora/<TYPE>" BASE <folder> FILES <files>)
// where each file's name (its alias) is the resource name.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

namespace pencora::resources {

// The bytes of resource `name` of `type`, or nothing when there is none. A name that is not a
// plain name (a separator, "..") finds nothing.
std::optional<QByteArray> findResource(QStringView type, QStringView name);

// The Qt resource path of that resource, or an empty string.
QString resourcePath(QStringView type, QStringView name);

// The names of all resources of `type`, as they are spelled.
QStringList resourceNames(QStringView type);

}  // namespace pencora::resources
