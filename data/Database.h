#pragma once

// Access to the address database: an encrypted SQLCipher file opened through its C API.
// Two small RAII classes wrap the C handles (Connection, Statement); Dataset holds a static
// snapshot of one "select * from <table> ..." statement and writes its edits back by rowid.
// This header brings the whole data layer's database classes in.

#include "data/Connection.h"
#include "data/Dataset.h"
#include "data/DbError.h"
#include "data/Schema.h"
#include "data/Statement.h"
