#include "tape/unplayable.h"

namespace tape {

namespace {

// Every symbol of the stream is one its table defines. The data stream packs each symbol in
// bits_per_symbol bits, most significant first; the pilot stream holds one byte a symbol.
bool DataSymbolsDefined(libspectrum_tape_block* block) {
    const libspectrum_tape_generalised_data_symbol_table* table =
        libspectrum_tape_block_data_table(block);
    const std::size_t symbols =
        table == nullptr ? 0
                         : libspectrum_tape_generalised_data_symbol_table_symbols_in_block(table);
    if (symbols == 0) {
        return true;
    }
    const std::size_t defined =
        libspectrum_tape_generalised_data_symbol_table_symbols_in_table(table);
    const std::size_t bits = libspectrum_tape_block_bits_per_data_symbol(block);
    const libspectrum_byte* data = libspectrum_tape_block_data(block);
    if (data == nullptr || bits == 0 || bits > 8) {
        return false;
    }
    for (std::size_t i = 0; i < symbols; ++i) {
        unsigned value = 0;
        for (std::size_t b = 0; b < bits; ++b) {
            const std::size_t at = i * bits + b;
            value = value << 1 | ((data[at / 8] >> (7 - at % 8)) & 1u);
        }
        if (value >= defined) {
            return false;
        }
    }
    return true;
}

bool PilotSymbolsDefined(libspectrum_tape_block* block) {
    const libspectrum_tape_generalised_data_symbol_table* table =
        libspectrum_tape_block_pilot_table(block);
    const std::size_t symbols =
        table == nullptr ? 0
                         : libspectrum_tape_generalised_data_symbol_table_symbols_in_block(table);
    const std::size_t defined =
        symbols == 0 ? 0 : libspectrum_tape_generalised_data_symbol_table_symbols_in_table(table);
    for (std::size_t i = 0; i < symbols; ++i) {
        if (libspectrum_tape_block_pilot_symbols(block, i) >= defined) {
            return false;
        }
    }
    return true;
}

}  // namespace

// A PZX data block plays each bit as the pulses of its 0 or its 1; a bit of no pulses sends
// the library through a null pointer.
bool BitsHavePulses(libspectrum_tape_block* block) {
    return libspectrum_tape_block_count(block) == 0 ||
           (libspectrum_tape_block_bit0_pulse_count(block) > 0 &&
            libspectrum_tape_block_bit1_pulse_count(block) > 0);
}

std::string FindUnplayableBlock(libspectrum_tape* tape) {
    libspectrum_tape_iterator it = nullptr;
    int index = 1;
    for (libspectrum_tape_block* block = libspectrum_tape_iterator_init(&it, tape);
         block != nullptr; block = libspectrum_tape_iterator_next(&it), ++index) {
        if (libspectrum_tape_block_type(block) == LIBSPECTRUM_TAPE_BLOCK_GENERALISED_DATA &&
            (!PilotSymbolsDefined(block) || !DataSymbolsDefined(block))) {
            return "its block " + std::to_string(index) +
                   " (generalised data) uses a symbol its table doesn't define";
        }
        if (libspectrum_tape_block_type(block) == LIBSPECTRUM_TAPE_BLOCK_DATA_BLOCK &&
            !BitsHavePulses(block)) {
            return "its block " + std::to_string(index) + " (data) has a bit without pulses";
        }
    }
    return {};
}

}  // namespace tape
