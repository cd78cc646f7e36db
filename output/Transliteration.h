#pragma once

// Bulgarian texts in the Latin letters a SEPA file carries: the official Bulgarian
// transliteration (the law on transliteration of 2009, not the older BGN/PCGN system that writes
// х as kh and ъ as ŭ), then the SEPA basic character set.

#include <cstddef>
#include <string>
#include <string_view>

namespace velcor::output {

// `cp1251` with its Cyrillic letters in Latin letters: а a, ж zh, х h, ц ts, ч ch, ш sh, щ sht,
// ъ a, ь y, ю yu, я ya, ...; "ия" at the end of a word gives "ia", and the word "България"
// "Bulgaria". A capital letter gives a capital first letter (Щ Sht), a word all in capitals stays
// in capitals (ЩЕРЮ SHTERYU). Every other byte is left as it is.
std::string transliterate(std::string_view cp1251);

// Whether `c` is in the SEPA basic character set: a-z A-Z 0-9 / - ? : ( ) . , ' + and the blank.
bool isSepaCharacter(char c);

// A text as a SEPA file may carry it: transliterated; every character outside the SEPA basic set
// replaced by its nearest in it (№ No, & +, dashes -, typographic apostrophes ', line breaks and
// TABs a blank) or dropped (quotes, «», and the rest); blanks run together and trimmed; and cut
// to at most `maximum` characters (no blank left at the cut).
std::string sepaText(std::string_view cp1251, std::size_t maximum);

}  // namespace velcor::output
