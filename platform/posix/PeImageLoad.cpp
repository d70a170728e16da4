// The loader's checks of a file it maps as an image. Measured against Wine 8's
// loader with damaged copies of a resource library (LoadLibraryExA gives
// ERROR_BAD_EXE_FORMAT, 193, for each refusal here).
#include <algorithm>
#include <cstdint>
#include <string>

#include "posix/PeImage.h"

namespace ostrel::posix {
namespace {

constexpr std::uint64_t kPage = 0x1000;
constexpr std::uint64_t kSector = 512;
constexpr std::uint16_t kMachineX64 = 0x8664;

std::uint64_t RoundUp(std::uint64_t value, std::uint64_t to) {
  return (value + to - 1) / to * to;
}

}  // namespace

std::string PeImage::ImageLoadProblem() const {
  if (machine_ != kMachineX64 || !is64_) {
    return "not an image for this machine (machine " + Hex(machine_) +
           (is64_ ? ", PE32+)" : ", PE32)");
  }
  if (sizeOfImage_ == 0)
    return "SizeOfImage is 0";
  const std::uint64_t imageEnd = RoundUp(sizeOfImage_, kPage);
  // The file as the loader reads it: whole sectors.
  const std::uint64_t fileEnd = RoundUp(fileSize_, kSector);
  const bool flat = sectionAlignment_ < kPage;
  if (flat && sectionAlignment_ != fileAlignment_)
    return "SectionAlignment " + Hex(sectionAlignment_) + " is below a page and not FileAlignment";
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    const Section& section = sections_[i];
    const std::string which = "section " + std::to_string(i + 1) + ": ";
    const std::uint64_t size = section.virtualSize != 0 ? section.virtualSize : section.rawSize;
    const std::uint64_t mapped = RoundUp(size, kPage);
    if (flat) {
      // Mapped as the file lies: each section must sit at its file offset.
      if (section.virtualAddress != section.rawOffset)
        return which + "not at its file offset in an image mapped flat";
      continue;
    }
    if (section.virtualAddress % kPage != 0)
      return which + "RVA " + Hex(section.virtualAddress) + " is not on a page boundary";
    if (section.virtualAddress + mapped > imageEnd) {
      return which + "runs past SizeOfImage (" + Hex(section.virtualAddress) + " + " + Hex(mapped) +
             " > " + Hex(imageEnd) + ")";
    }
    if (section.rawOffset == 0 || section.rawSize == 0)
      continue;  // nothing of it is in the file
    if (section.rawOffset >= fileSize_)
      return which + "its data starts past the end of the file";
    // The data the loader reads: whole sectors, no more than the section maps.
    const std::uint64_t start = section.rawOffset / kSector * kSector;
    const std::uint64_t length = std::min(
        RoundUp(std::uint64_t{section.rawSize} + section.rawOffset % kSector, kSector), mapped);
    if (start + length > fileEnd) {
      return which + "its data runs past the end of the file (to " + Hex(start + length) +
             ", the file has " + Hex(fileSize_) + " bytes): the file is cut short";
    }
  }
  return {};
}

}  // namespace ostrel::posix
