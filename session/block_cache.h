// Every block and memory cell read so far (the reading's, the read-backs'
// and the reads a write makes first), with the converter each came from:
// what a backup keeps before a block is written, what a write of cells
// replaces, and what a write is checked against when it is read again.
// Held by the session beside the device state. No Qt.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace rm27 {

class BlockCache {
public:
    struct BlockImage {
        std::string image;            // 256 bytes
        std::uint64_t readNumber = 0; // order of the block reads, from 1
        // The converter it was read from: a block read from another
        // converter, or at another address, is no backup of this one's.
        std::string deviceId;
        std::int32_t address = 0;
    };
    struct CellValue {
        std::int32_t value = 0;
        std::uint64_t readNumber = 0; // order of the cell reads, from 1
        std::string deviceId;
        std::int32_t address = 0;
    };

    // An image just read from `block` (BlockRead's 256 characters), or a
    // cell read cleanly, from the converter `deviceId` at `address`.
    void rememberBlock(std::int32_t block, const std::string& image, const std::string& deviceId,
                       std::int32_t address);
    void rememberCell(std::int32_t cell, std::int32_t value, const std::string& deviceId,
                      std::int32_t address);

    // As last read, from whichever converter; null when never read.
    const BlockImage* block(std::int32_t block) const;
    const CellValue* cell(std::int32_t cell) const;
    // As last read from the converter `deviceId` at `address`: what is known
    // of that converter's bytes; null when nothing, or when the last read
    // came from another converter or address.
    const BlockImage* knownBlock(std::int32_t block, const std::string& deviceId,
                                 std::int32_t address) const;
    const CellValue* knownCell(std::int32_t cell, const std::string& deviceId,
                               std::int32_t address) const;

    // From a write's first frame on, what it holds is not known until it
    // is read again.
    void forgetBlock(std::int32_t block) { blocks_.erase(block); }
    void forgetCell(std::int32_t cell) { cells_.erase(cell); }

    // How many blocks (cells) were read so far: a read since a write has a
    // larger readNumber than this was when the write began.
    std::uint64_t blockReads() const { return blockReads_; }
    std::uint64_t cellReads() const { return cellReads_; }

private:
    std::map<std::int32_t, BlockImage> blocks_;
    std::uint64_t blockReads_ = 0;
    std::map<std::int32_t, CellValue> cells_;
    std::uint64_t cellReads_ = 0;
};

} // namespace rm27
