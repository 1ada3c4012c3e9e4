#include "player/flash_list.h"

#include <QtEndian>

namespace pencora::player {

namespace {

bool asciiEqualIgnoringCase(const QString& a, const QString& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char16_t>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char16_t>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

}  // namespace

void TsfFlashStream::SetFlash(const QString& name, QByteArray bytes) {
    FFlashStore = name;
    FFlash = std::move(bytes);
    if (FOnChanged) {
        FOnChanged();
    }
}

QByteArray TsfFlashStream::WriteFlashStream() const {
    QByteArray out;
    if (FFlash.isEmpty()) {
        out.append('\0');
        return out;
    }
    const QByteArray name = FFlashStore.toUtf8();
    out.append('\3');
    char n[4];
    qToLittleEndian<quint32>(static_cast<quint32>(name.size()), n);
    out.append(n, 4);
    out.append(name);
    qToLittleEndian<quint32>(static_cast<quint32>(FFlash.size()), n);
    out.append(n, 4);
    out.append(FFlash);
    return out;
}

bool TsfFlashStream::ReadFlashStream(const QByteArray& stored) {
    if (stored.isEmpty()) {
        return false;
    }
    const auto kind = static_cast<unsigned char>(stored[0]);
    if (kind == 0) {
        FFlash.clear();
        return true;
    }
    if (kind != 2 && kind != 3) {
        return false;
    }
    qsizetype at = 1;
    auto remaining = [&] { return stored.size() - at; };
    if (remaining() < 4) {
        return false;
    }
    const quint32 nameLength = qFromLittleEndian<quint32>(stored.constData() + at);
    at += 4;
    if (remaining() < static_cast<qsizetype>(nameLength)) {
        return false;
    }
    const QString name = QString::fromUtf8(stored.constData() + at, nameLength);
    at += nameLength;
    const qsizetype sizeBytes = kind == 3 ? 4 : 8;
    if (remaining() < sizeBytes) {
        return false;
    }
    const quint32 size = qFromLittleEndian<quint32>(stored.constData() + at);
    at += sizeBytes;
    if (remaining() < static_cast<qsizetype>(size)) {
        return false;
    }
    FFlashStore = name;
    FFlash = stored.mid(at, size);
    return true;
}

TsfFlashStream* TsfFlashCollection::Add() {
    FItems.push_back(std::make_unique<TsfFlashStream>(this));
    return FItems.back().get();
}

TsfFlashStream* TsfFlashCollection::Items(int index) const {
    if (index < 0 || index >= Count()) {
        return nullptr;
    }
    return FItems[static_cast<std::size_t>(index)].get();
}

TsfFlashStream* TsfFlashList::FindFlash(const QString& name) {
    for (int i = 0; i < FFlashs.Count(); ++i) {
        TsfFlashStream* entry = FFlashs.Items(i);
        if (asciiEqualIgnoringCase(entry->FlashStore(), name)) {
            return entry;
        }
    }
    return nullptr;
}

}  // namespace pencora::player
