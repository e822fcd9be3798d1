#include "decode/heif_layout.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "image_io/rgba_image.hpp"
#include "pixels/byte_order.hpp"
#include "pixels/pixels.hpp"

namespace image_io::detail {

namespace {

using Bytes = std::span<const std::uint8_t>;

[[noreturn]] void refuse(const std::string& why, ImageErrorKind kind = ImageErrorKind::damaged) {
    throw ImageIOError(kind, "HEIF: " + why);
}

// Reads big-endian fields from one box's payload, refusing a read past its end.
class Reader {
public:
    explicit Reader(Bytes bytes) : bytes_(bytes) {}

    std::uint64_t number(std::size_t octets) {
        if (octets > remaining()) refuse("box too short");
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < octets; ++i) value = (value << 8) | bytes_[at_++];
        return value;
    }
    std::uint32_t u8() { return static_cast<std::uint32_t>(number(1)); }
    std::uint32_t u16() { return static_cast<std::uint32_t>(number(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(number(4)); }
    std::string_view type() {
        if (remaining() < 4) refuse("box too short");
        const std::string_view value(reinterpret_cast<const char*>(bytes_.data() + at_), 4);
        at_ += 4;
        return value;
    }
    Bytes rest() const { return bytes_.subspan(at_); }
    std::size_t remaining() const { return bytes_.size() - at_; }

private:
    Bytes bytes_;
    std::size_t at_ = 0;
};

struct Box {
    std::string_view type;
    Bytes payload;
};

// The boxes laid one after the other in `bytes`. At the top of a file, a box that runs past the
// end (a cut or padded tail) ends the list; inside a box, it is damage.
std::vector<Box> boxesIn(Bytes bytes, bool topLevel = false) {
    std::vector<Box> boxes;
    std::size_t at = 0;
    while (bytes.size() - at >= 8) {
        std::uint64_t size = bigEndian32(bytes, at);
        const std::string_view type(reinterpret_cast<const char*>(bytes.data() + at + 4), 4);
        std::size_t header = 8;
        if (size == 1) {
            if (bytes.size() - at < 16) refuse("box too short");
            size = (std::uint64_t{bigEndian32(bytes, at + 8)} << 32) | bigEndian32(bytes, at + 12);
            header = 16;
        } else if (size == 0) {
            size = bytes.size() - at;
        }
        if (size < header || size > bytes.size() - at) {
            if (topLevel) break;
            refuse("box runs past its container");
        }
        boxes.push_back({type, bytes.subspan(at + header, static_cast<std::size_t>(size) - header)});
        at += static_cast<std::size_t>(size);
    }
    return boxes;
}

std::optional<Box> childOf(Bytes bytes, std::string_view type, bool topLevel = false) {
    for (const Box& box : boxesIn(bytes, topLevel)) {
        if (box.type == type) return box;
    }
    return std::nullopt;
}

struct Extent {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

struct Location {
    int method = 0;
    std::uint64_t base = 0;
    std::vector<Extent> extents;
};

struct Item {
    std::string type;
    std::vector<int> properties;  // indices into the property container, from 1
    std::optional<Location> location;
};

struct Meta {
    std::uint32_t primary = 0;
    std::map<std::uint32_t, Item> items;
    std::vector<Box> properties;
    Bytes idat;
    Bytes iref;
};

void readItemInfo(Bytes payload, Meta& meta) {
    Reader reader(payload);
    const std::uint32_t version = reader.u8();
    reader.number(3);
    reader.number(version == 0 ? 2 : 4);  // the count: the boxes themselves are what counts
    for (const Box& entry : boxesIn(reader.rest())) {
        if (entry.type != "infe") continue;
        Reader infe(entry.payload);
        const std::uint32_t infeVersion = infe.u8();
        infe.number(3);
        if (infeVersion < 2) continue;  // no item type: no image
        const auto id = static_cast<std::uint32_t>(infe.number(infeVersion == 2 ? 2 : 4));
        infe.u16();
        meta.items[id].type = std::string(infe.type());
    }
}

void readLocations(Bytes payload, Meta& meta) {
    Reader reader(payload);
    const std::uint32_t version = reader.u8();
    reader.number(3);
    if (version > 2) refuse("unknown item location version", ImageErrorKind::unsupported);
    const std::uint32_t sizes = reader.u16();
    const std::size_t offsetSize = sizes >> 12;
    const std::size_t lengthSize = (sizes >> 8) & 15;
    const std::size_t baseSize = (sizes >> 4) & 15;
    const std::size_t indexSize = version == 0 ? 0 : sizes & 15;
    const std::uint64_t count = reader.number(version < 2 ? 2 : 4);
    for (std::uint64_t i = 0; i < count; ++i) {
        const auto id = static_cast<std::uint32_t>(reader.number(version < 2 ? 2 : 4));
        Location location;
        if (version > 0) location.method = static_cast<int>(reader.u16() & 15);
        reader.u16();  // data reference
        location.base = reader.number(baseSize);
        const std::uint32_t extents = reader.u16();
        for (std::uint32_t e = 0; e < extents; ++e) {
            reader.number(indexSize);
            Extent extent;
            extent.offset = reader.number(offsetSize);
            extent.length = reader.number(lengthSize);
            location.extents.push_back(extent);
        }
        meta.items[id].location = std::move(location);
    }
}

void readProperties(Bytes payload, Meta& meta) {
    for (const Box& box : boxesIn(payload)) {
        if (box.type == "ipco") {
            meta.properties = boxesIn(box.payload);
        } else if (box.type == "ipma") {
            Reader reader(box.payload);
            const std::uint32_t version = reader.u8();
            const std::uint32_t flags = static_cast<std::uint32_t>(reader.number(3));
            const std::uint32_t entries = reader.u32();
            for (std::uint32_t i = 0; i < entries; ++i) {
                const auto id = static_cast<std::uint32_t>(reader.number(version < 1 ? 2 : 4));
                const std::uint32_t associations = reader.u8();
                for (std::uint32_t a = 0; a < associations; ++a) {
                    const std::uint32_t value = (flags & 1) != 0 ? reader.u16() & 0x7FFF : reader.u8() & 0x7F;
                    if (value != 0) meta.items[id].properties.push_back(static_cast<int>(value));
                }
            }
        }
    }
}

Meta readMeta(Bytes file) {
    const std::optional<Box> metaBox = childOf(file, "meta", true);
    if (!metaBox) refuse("no meta box");
    Reader full(metaBox->payload);
    full.u32();
    Meta meta;
    for (const Box& box : boxesIn(full.rest())) {
        if (box.type == "pitm") {
            Reader reader(box.payload);
            const std::uint32_t version = reader.u8();
            reader.number(3);
            meta.primary = static_cast<std::uint32_t>(reader.number(version == 0 ? 2 : 4));
        } else if (box.type == "iinf") {
            readItemInfo(box.payload, meta);
        } else if (box.type == "iloc") {
            readLocations(box.payload, meta);
        } else if (box.type == "iprp") {
            readProperties(box.payload, meta);
        } else if (box.type == "idat") {
            meta.idat = box.payload;
        } else if (box.type == "iref") {
            meta.iref = box.payload;
        }
    }
    return meta;
}

// The first property of `type` an item is associated with.
const Box* propertyOf(const Meta& meta, const Item& item, std::string_view type) {
    for (const int index : item.properties) {
        if (index >= 1 && static_cast<std::size_t>(index) <= meta.properties.size() &&
            meta.properties[static_cast<std::size_t>(index) - 1].type == type) {
            return &meta.properties[static_cast<std::size_t>(index) - 1];
        }
    }
    return nullptr;
}

ImageSize declaredSize(const Meta& meta, const Item& item) {
    const Box* ispe = propertyOf(meta, item, "ispe");
    if (ispe == nullptr) refuse("image without a size");
    Reader reader(ispe->payload);
    reader.u32();
    const ImageSize size{reader.u32(), reader.u32()};
    checkImageSize(size.width, size.height);
    return size;
}

// The bytes of an item, joined from its extents.
std::vector<std::uint8_t> itemData(Bytes file, const Meta& meta, const Item& item) {
    if (!item.location) refuse("item without data");
    const Location& location = *item.location;
    Bytes source;
    if (location.method == 0) {
        source = file;
    } else if (location.method == 1) {
        source = meta.idat;
    } else {
        refuse("item data by reference", ImageErrorKind::unsupported);
    }
    std::vector<std::uint8_t> data;
    for (const Extent& extent : location.extents) {
        const std::uint64_t start = location.base + extent.offset;
        const std::uint64_t length =
            extent.length == 0 ? source.size() - std::min<std::uint64_t>(start, source.size()) : extent.length;
        if (start < location.base || start > source.size() || length > source.size() - start) {
            refuse("item data past the end of the file");
        }
        data.insert(data.end(), source.begin() + static_cast<std::ptrdiff_t>(start),
                    source.begin() + static_cast<std::ptrdiff_t>(start + length));
    }
    return data;
}

// Exp-Golomb and fixed-width fields of an HEVC parameter set, emulation bytes removed.
class BitReader {
public:
    explicit BitReader(Bytes nal) {
        int zeros = 0;
        for (const std::uint8_t byte : nal) {
            // 0x000003: the 3 only keeps start codes out of the stream.
            if (zeros >= 2 && byte == 3) {
                zeros = 0;
                continue;
            }
            zeros = byte == 0 ? zeros + 1 : 0;
            bytes_.push_back(byte);
        }
    }
    std::uint32_t bits(int count) {
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            if (at_ >= bytes_.size() * 8) refuse("parameter set too short");
            value = (value << 1) | ((bytes_[at_ / 8] >> (7 - at_ % 8)) & 1u);
            ++at_;
        }
        return value;
    }
    void skip(int count) {
        for (; count > 0; count -= 32) bits(std::min(count, 32));
    }
    std::uint64_t golomb() {
        int zeros = 0;
        while (bits(1) == 0) {
            if (++zeros > 31) refuse("bad parameter set");
        }
        return (std::uint64_t{1} << zeros) - 1 + bits(zeros);
    }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

// The picture size of an HEVC sequence parameter set (NAL header included).
ImageSize spsPictureSize(Bytes nal) {
    BitReader reader(nal);
    reader.skip(16);  // NAL header
    reader.skip(4);   // video parameter set id
    const std::uint32_t subLayers = reader.bits(3);
    reader.skip(1);
    constexpr int profileBits = 88;
    constexpr int levelBits = 8;
    reader.skip(profileBits + levelBits);
    std::vector<std::pair<bool, bool>> present;
    for (std::uint32_t i = 0; i < subLayers; ++i) {
        const bool profile = reader.bits(1) != 0;
        const bool level = reader.bits(1) != 0;
        present.emplace_back(profile, level);
    }
    if (subLayers > 0) reader.skip(2 * (8 - static_cast<int>(subLayers)));
    for (const auto& [profile, level] : present) {
        if (profile) reader.skip(profileBits);
        if (level) reader.skip(levelBits);
    }
    reader.golomb();  // parameter set id
    if (reader.golomb() == 3) reader.bits(1);
    const std::uint64_t width = reader.golomb();
    const std::uint64_t height = reader.golomb();
    return {static_cast<std::int64_t>(std::min<std::uint64_t>(width, 1u << 30)),
            static_cast<std::int64_t>(std::min<std::uint64_t>(height, 1u << 30))};
}

constexpr int spsType = 33;

int nalType(Bytes nal) {
    return nal.empty() ? -1 : (nal[0] >> 1) & 0x3F;
}

void checkPictureFits(const ImageSize& picture, const ImageSize& declared) {
    if (picture.width < declared.width || picture.height < declared.height ||
        picture.width > declared.width + codingPadding || picture.height > declared.height + codingPadding) {
        refuse("coded picture of " + std::to_string(picture.width) + " x " + std::to_string(picture.height) +
               " for an image of " + std::to_string(declared.width) + " x " + std::to_string(declared.height));
    }
}

// Every parameter set of a coded HEVC image, in its configuration and in its data, must describe
// a picture of the size the item declares.
HevcImage checkCodedImage(Bytes file, const Meta& meta, const Item& item) {
    HevcImage coded;
    const ImageSize declared = declaredSize(meta, item);
    const Box* config = propertyOf(meta, item, "hvcC");
    if (config == nullptr) refuse("coded image without its configuration");
    Reader reader(config->payload);
    reader.number(21);
    const std::size_t lengthSize = (reader.u8() & 3) + 1;
    const std::uint32_t arrays = reader.u8();
    for (std::uint32_t a = 0; a < arrays; ++a) {
        reader.u8();
        const std::uint32_t count = reader.u16();
        for (std::uint32_t n = 0; n < count; ++n) {
            const std::size_t length = reader.u16();
            if (length > reader.remaining()) refuse("configuration too short");
            const Bytes nal = reader.rest().first(length);
            if (nalType(nal) == spsType) checkPictureFits(spsPictureSize(nal), declared);
            coded.units.emplace_back(nal.begin(), nal.end());
            reader.number(length);
        }
    }
    const std::vector<std::uint8_t> data = itemData(file, meta, item);
    for (std::size_t at = 0; at < data.size();) {
        Reader unit(Bytes(data).subspan(at));
        const std::uint64_t length = unit.number(lengthSize);
        if (length > unit.remaining()) refuse("coded data too short");
        const Bytes nal = unit.rest().first(static_cast<std::size_t>(length));
        if (nalType(nal) == spsType) checkPictureFits(spsPictureSize(nal), declared);
        coded.units.emplace_back(nal.begin(), nal.end());
        at += lengthSize + static_cast<std::size_t>(length);
    }
    return coded;
}

std::vector<std::uint32_t> referencesFrom(const Meta& meta, std::uint32_t from, std::string_view type) {
    std::vector<std::uint32_t> to;
    if (meta.iref.empty()) return to;
    Reader head(meta.iref);
    const std::uint32_t version = head.u8();
    head.number(3);
    const std::size_t idSize = version == 0 ? 2 : 4;
    for (const Box& reference : boxesIn(head.rest())) {
        if (reference.type != type) continue;
        Reader reader(reference.payload);
        if (reader.number(idSize) != from) continue;
        const std::uint32_t count = reader.u16();
        for (std::uint32_t i = 0; i < count; ++i) to.push_back(static_cast<std::uint32_t>(reader.number(idSize)));
    }
    return to;
}

bool hasQuarterTurn(const Meta& meta, const Item& item) {
    const Box* rotation = propertyOf(meta, item, "irot");
    return rotation != nullptr && !rotation->payload.empty() && (rotation->payload[0] & 1) != 0;
}

// A grid's canvas is its image's declared size, and same-sized tiles cover it with the last
// row and column reaching past it by less than a tile.
ImageSize checkGrid(Bytes file, const Meta& meta, const Item& grid, const ImageSize& declared,
                    std::vector<HevcImage>& coded) {
    const std::vector<std::uint8_t> data = itemData(file, meta, grid);
    Reader reader(data);
    reader.u8();
    const std::uint32_t flags = reader.u8();
    const std::int64_t rows = reader.u8() + 1;
    const std::int64_t columns = reader.u8() + 1;
    const std::size_t fieldSize = (flags & 1) != 0 ? 4 : 2;
    const ImageSize canvas{static_cast<std::int64_t>(reader.number(fieldSize)),
                           static_cast<std::int64_t>(reader.number(fieldSize))};
    // libheif writes a turned image's size turned: the canvas is what is decoded.
    const bool turned = canvas == ImageSize{declared.height, declared.width} && hasQuarterTurn(meta, grid);
    if (canvas != declared && !turned) {
        refuse("grid of " + std::to_string(canvas.width) + " x " + std::to_string(canvas.height) + " for an image of " +
               std::to_string(declared.width) + " x " + std::to_string(declared.height));
    }
    const std::vector<std::uint32_t> tiles = referencesFrom(meta, meta.primary, "dimg");
    if (static_cast<std::int64_t>(tiles.size()) != rows * columns) refuse("grid without its tiles");
    std::optional<ImageSize> tileSize;
    for (const std::uint32_t id : tiles) {
        const auto found = meta.items.find(id);
        if (found == meta.items.end() || found->second.type != "hvc1") {
            refuse("grid tile that is not a coded image", ImageErrorKind::unsupported);
        }
        const ImageSize size = declaredSize(meta, found->second);
        if (tileSize && size != *tileSize) refuse("grid tiles of different sizes");
        tileSize = size;
    }
    if (tileSize->width * columns < canvas.width || tileSize->width * (columns - 1) >= canvas.width ||
        tileSize->height * rows < canvas.height || tileSize->height * (rows - 1) >= canvas.height ||
        tileSize->width > std::max(canvas.width, canvas.height) + codingPadding ||
        tileSize->height > std::max(canvas.width, canvas.height) + codingPadding) {
        refuse("grid tiles that do not fit the grid");
    }
    for (const std::uint32_t id : tiles) coded.push_back(checkCodedImage(file, meta, meta.items.at(id)));
    return canvas;
}

// The clean aperture: a width and height centred on the image's centre moved by the offsets, its
// left and top edges rounded down and the whole clamped to the image.
HeifTransform cropOf(Bytes payload, const ImageSize& size) {
    Reader reader(payload);
    double values[4];
    for (double& value : values) {
        const auto numerator = static_cast<std::int32_t>(reader.u32());
        const auto denominator = static_cast<std::int32_t>(reader.u32());
        if (denominator == 0) refuse("bad clean aperture");
        value = static_cast<double>(numerator) / denominator;
    }
    const auto [apertureWidth, apertureHeight, offsetX, offsetY] = values;
    const auto edge = [](double aperture, double offset, std::int64_t side) {
        return std::floor(offset + (static_cast<double>(side) - 1) / 2 - (std::round(aperture) - 1) / 2);
    };
    const double left = std::max(0.0, edge(apertureWidth, offsetX, size.width));
    const double top = std::max(0.0, edge(apertureHeight, offsetY, size.height));
    const double right = std::min(left + std::round(apertureWidth) - 1, static_cast<double>(size.width) - 1);
    const double bottom = std::min(top + std::round(apertureHeight) - 1, static_cast<double>(size.height) - 1);
    if (!(right >= left && bottom >= top)) refuse("clean aperture outside the image");
    HeifTransform crop;
    crop.kind = HeifTransform::Kind::crop;
    crop.cropLeft = static_cast<std::int64_t>(left);
    crop.cropTop = static_cast<std::int64_t>(top);
    crop.cropWidth = static_cast<std::int64_t>(right - left) + 1;
    crop.cropHeight = static_cast<std::int64_t>(bottom - top) + 1;
    return crop;
}

std::vector<HeifTransform> transformsOf(const Meta& meta, const Item& item, ImageSize size) {
    std::vector<HeifTransform> transforms;
    for (const int index : item.properties) {
        if (index < 1 || static_cast<std::size_t>(index) > meta.properties.size()) continue;
        const Box& property = meta.properties[static_cast<std::size_t>(index) - 1];
        Reader reader(property.payload);
        if (property.type == "irot") {
            HeifTransform rotation;
            rotation.quarterTurns = static_cast<int>(reader.u8() & 3);
            if (rotation.quarterTurns % 2 == 1) std::swap(size.width, size.height);
            transforms.push_back(rotation);
        } else if (property.type == "imir") {
            HeifTransform mirror;
            mirror.kind = HeifTransform::Kind::mirror;
            mirror.topToBottom = (reader.u8() & 1) != 0;
            transforms.push_back(mirror);
        } else if (property.type == "clap") {
            const HeifTransform crop = cropOf(property.payload, size);
            size = {crop.cropWidth, crop.cropHeight};
            transforms.push_back(crop);
        }
    }
    return transforms;
}

void refuseAvif(Bytes file) {
    const std::optional<Box> ftyp = childOf(file, "ftyp", true);
    if (!ftyp) return;
    for (std::size_t at = 0; at + 4 <= ftyp->payload.size(); at += at == 0 ? 8 : 4) {
        const std::string_view brand(reinterpret_cast<const char*>(ftyp->payload.data() + at), 4);
        if (brand == "avif" || brand == "avis") refuse("AVIF is not read", ImageErrorKind::unsupported);
    }
}

}  // namespace

HeifLayout readHeifLayout(Bytes bytes) {
    refuseAvif(bytes);
    const Meta meta = readMeta(bytes);
    const auto primary = meta.items.find(meta.primary);
    if (primary == meta.items.end()) refuse("no primary image");
    const Item& item = primary->second;
    ImageSize stored = declaredSize(meta, item);
    checkBacked(stored.width * stored.height * heifPixelCost, bytes.size(), stored);
    std::vector<HevcImage> coded;
    if (item.type == "hvc1") {
        coded.push_back(checkCodedImage(bytes, meta, item));
    } else if (item.type == "grid") {
        stored = checkGrid(bytes, meta, item, stored, coded);
    } else {
        refuse("primary image coded as " + item.type + " is not read", ImageErrorKind::unsupported);
    }
    return {stored.width, stored.height, transformsOf(meta, item, stored), std::move(coded)};
}

}  // namespace image_io::detail
