#include "ui/qt/embedded_font.h"

#include <QByteArray>
#include <QFontDatabase>
#include <QResource>

namespace pelmora {

namespace {
constexpr auto resourcePath = ":/fonts/pelmora-song.ttf";
}

QString embeddedSongFamily() { return QStringLiteral(PELMORA_SONG_FAMILY); }

bool registerEmbeddedSong() {
    static const bool registered = [] {
        const QResource font(QString::fromLatin1(resourcePath));
        if (!font.isValid()) return false;
        // Stored uncompressed: the database reads the bytes where they are, for the whole run.
        const QByteArray data =
            font.compressionAlgorithm() == QResource::NoCompression
                ? QByteArray::fromRawData(reinterpret_cast<const char*>(font.data()), font.size())
                : font.uncompressedData();
        const int id = QFontDatabase::addApplicationFontFromData(data);
        return id >= 0 && QFontDatabase::applicationFontFamilies(id).contains(embeddedSongFamily());
    }();
    return registered;
}

}  // namespace pelmora
