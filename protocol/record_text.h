// Text and integer helpers used beside the command and reply records.
#pragma once

// Reads the first `count` characters of `text` (0..511) as a base-10 integer
// with strtol's rules. Answers -1 for a count outside 0..511 or a null text.
int _TextToInt(const char* text, int count);

// Store the low 16 / all 32 bits of `value` little-endian at any alignment.
void _StoreLE2(void* at, int value);
void _StoreLE4(void* at, int value);
