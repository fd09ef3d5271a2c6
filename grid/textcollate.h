#pragma once
// Text order and matching of the grids, after the Turkish alphabet.
//
// Sorting compares UTF-8 bytes straight from the table's arena (no QString per
// comparison): letters in the order A B C Ç D E F G Ğ H I İ J K L M N O Ö P Q R
// S Ş T U Ü V W X Y Z regardless of case, digits before letters, punctuation
// before digits; equal texts by that rule are then ordered by their bytes so
// the order is total.

#include <QString>
#include <QStringView>

#include <string_view>

namespace tarsel {

// <0, 0, >0 like strcmp.
int CompareText(std::string_view a, std::string_view b);
int CompareText(QStringView a, QStringView b);

// Case-insensitive form used by incremental search and the filter list's
// narrowing box: lower case, and the four Turkish i letters (I, ı, İ, i) made
// one, so a user typing on any keyboard finds the row.
QString FoldForSearch(QStringView s);

}  // namespace tarsel
