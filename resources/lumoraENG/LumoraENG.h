#pragma once

// The English language library: loaded by name ("lumoraENG") when the profile asks for English, it
// registers the English texts of every string id the program shows as the language layer of the
// string tables, so that they take the place of the built-in Chinese ones.
extern "C" {
// 1 when the texts were registered.
int RegisterLanguageStrings();
}
