#include "session/block_cache.h"

namespace rm27 {

void BlockCache::rememberBlock(std::int32_t block, const std::string& image,
                               const std::string& deviceId, std::int32_t address) {
    blocks_[block & 0xFF] = {image, ++blockReads_, deviceId, address};
}

void BlockCache::rememberCell(std::int32_t cell, std::int32_t value, const std::string& deviceId,
                              std::int32_t address) {
    cells_[cell & 0xFF] = {value & 0xFF, ++cellReads_, deviceId, address};
}

const BlockCache::BlockImage* BlockCache::block(std::int32_t block) const {
    const auto it = blocks_.find(block);
    return it == blocks_.end() ? nullptr : &it->second;
}

const BlockCache::CellValue* BlockCache::cell(std::int32_t cell) const {
    const auto it = cells_.find(cell);
    return it == cells_.end() ? nullptr : &it->second;
}

const BlockCache::BlockImage* BlockCache::knownBlock(std::int32_t number,
                                                     const std::string& deviceId,
                                                     std::int32_t address) const {
    const BlockImage* b = block(number);
    return b != nullptr && b->deviceId == deviceId && b->address == address ? b : nullptr;
}

const BlockCache::CellValue* BlockCache::knownCell(std::int32_t number, const std::string& deviceId,
                                                   std::int32_t address) const {
    const CellValue* c = cell(number);
    return c != nullptr && c->deviceId == deviceId && c->address == address ? c : nullptr;
}

} // namespace rm27
