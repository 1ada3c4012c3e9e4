// The named movie list a player can serve movie requests from: TsfFlashList owns a
// TsfFlashCollection of TsfFlashStream entries, each a name and the movie's bytes.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace pencora::player {

class TsfFlashCollection;

class TsfFlashStream {
  public:
    explicit TsfFlashStream(TsfFlashCollection* collection) : FCollection(collection) {}

    // The name, or "(empty)" whenever the entry holds no bytes. Writing it has no effect.
    QString FlashStore() const {
        return FFlash.isEmpty() ? QStringLiteral("(empty)") : FFlashStore;
    }
    QString DisplayName() const { return FFlashStore; }

    // Sets the name and the bytes (the design-time loading of a movie file).
    void SetFlash(const QString& name, QByteArray bytes);
    const QByteArray& Flash() const { return FFlash; }

    // The stored form of the "FlashStream" property: kind 3 (name, 32-bit size, bytes) when
    // the entry holds bytes, kind 0 otherwise. Names are UTF-8 on this platform.
    QByteArray WriteFlashStream() const;
    // Reads kinds 0, 2 and 3 (kind 2: only the low 32 bits of its 64-bit size are used).
    // False for a truncated or unknown record, the entry then unchanged.
    bool ReadFlashStream(const QByteArray& stored);

    int Tag = 0;
    std::function<void()> FOnChanged;

  private:
    TsfFlashCollection* FCollection;
    QByteArray FFlash;
    QString FFlashStore = QStringLiteral("(empty)");
};

class TsfFlashList;

class TsfFlashCollection {
  public:
    explicit TsfFlashCollection(TsfFlashList* owner) : FOwner(owner) {}
    TsfFlashStream* Add();
    TsfFlashStream* Items(int index) const;
    int Count() const { return static_cast<int>(FItems.size()); }
    TsfFlashList* Owner() const { return FOwner; }

  private:
    TsfFlashList* FOwner;
    std::vector<std::unique_ptr<TsfFlashStream>> FItems;
};

class TsfFlashList : public QObject {
    Q_OBJECT
  public:
    explicit TsfFlashList(QObject* owner = nullptr) : QObject(owner), FFlashs(this) {}
    TsfFlashCollection& Flashs() { return FFlashs; }
    // The first entry whose FlashStore equals `name` ignoring ASCII letter case, or none.
    TsfFlashStream* FindFlash(const QString& name);

  private:
    TsfFlashCollection FFlashs;
};

}  // namespace pencora::player
