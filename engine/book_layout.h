// Where the bytes of a Pegasus Mail address book (*.PMR) lie: the one
// description of the file layout, for its readers and its writer alike.
//
// A book is a header, then records back to back, the last one possibly
// short. The header holds the book's title at its start. A record holds, in
// this order: 2 bytes, name, company, key, street address, postal address,
// phone, fax, notes, e-mail address, then 16 bytes no reader here uses (4
// bytes, an image name of 9, 3 bytes). The widths and offsets are below.
// How far a text runs inside its bytes (to a NUL, to its field's end or to
// the record's) is each reader's own rule.
#pragma once

#include <cstddef>

namespace engine {

inline constexpr std::size_t kBookHeaderSize = 128;
inline constexpr std::size_t kBookRecordSize = 458;

// Where a text field of a record or header lies: its offset and width in
// bytes.
struct BookField {
  std::size_t offset;
  std::size_t width;
};

// In the header.
inline constexpr BookField kBookTitleField{0, 28};

// In a record.
inline constexpr BookField kBookNameField{2, 40};
inline constexpr BookField kBookCompanyField{42, 40};
inline constexpr BookField kBookKeyField{82, 12};
inline constexpr BookField kBookStreetField{94, 60};
inline constexpr BookField kBookPostalField{154, 60};
inline constexpr BookField kBookPhoneField{214, 24};
inline constexpr BookField kBookFaxField{238, 24};
inline constexpr BookField kBookNotesField{262, 80};
inline constexpr BookField kBookAddressField{342, 100};

// The fields follow each other without gaps, and what follows the address
// is the record's last 16 bytes.
static_assert(kBookNameField.offset + kBookNameField.width == kBookCompanyField.offset);
static_assert(kBookCompanyField.offset + kBookCompanyField.width == kBookKeyField.offset);
static_assert(kBookKeyField.offset + kBookKeyField.width == kBookStreetField.offset);
static_assert(kBookStreetField.offset + kBookStreetField.width == kBookPostalField.offset);
static_assert(kBookPostalField.offset + kBookPostalField.width == kBookPhoneField.offset);
static_assert(kBookPhoneField.offset + kBookPhoneField.width == kBookFaxField.offset);
static_assert(kBookFaxField.offset + kBookFaxField.width == kBookNotesField.offset);
static_assert(kBookNotesField.offset + kBookNotesField.width == kBookAddressField.offset);
static_assert(kBookAddressField.offset + kBookAddressField.width + 16 == kBookRecordSize);
static_assert(kBookTitleField.width <= kBookHeaderSize);

}  // namespace engine
