// The entry point SQLite looks for in libzirvo_fts.so ("sqlite3_" + the letters of the file's
// name + "_init").

#include <sqlite3.h>

#include "core/db/rare_trigrams.h"
#include "core/db/sparse_trigrams.h"

extern "C" int sqlite3_zirvofts_init(sqlite3* db, char** error, const sqlite3_api_routines*) {
    // The index's tokenizer, and version 8's, which the upgrade's drop of that index needs.
    if (!zirvo::RegisterRareTrigramTokenizer(db) || !zirvo::RegisterSparseTrigramTokenizer(db)) {
        *error = sqlite3_mprintf("this SQLite has no FTS5");
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
}
