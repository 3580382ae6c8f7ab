#pragma once

#include <string>

struct pg_conn;

// The collection's schema in PostgreSQL: both editions' category, law and link tables with
// the columns of the program's own schema, the indexes of the update pages' queries, and
// the triggers that stamp every written row.
//
// Stamps. Every insert or update sets `updatetime` to the stamp of its transaction: the
// current UTC second, or one second after the newest stamp handed out before, whichever is
// later. The stamp is taken from a one-row clock table whose row the transaction keeps
// locked until it ends, so transactions that write rows get their stamps one after another
// in the order they commit, and every stamp is later than every stamp committed before it.
// All rows of one transaction share its stamp and become visible together. So when a client
// has seen a row with stamp S, every row with a stamp up to S is committed and visible; rows
// written later get stamps after S. Asking for laws after (S, id) and for categories and
// links after S therefore never skips a row, also when editors write in the same second.
// The price: editing transactions wait for each other's commit, and under more than one
// committing transaction a second the stamps run ahead of the clock until editing pauses.
//
// Rows are never deleted (clients keep what they have, and a deleted row would never reach
// them): a delete is refused. An editor withdraws a law by editing it (a title and text that
// say it is repealed), and a link by filing the law elsewhere.
//
// Loading a collection (tolvarin-admin import and copy) keeps the stamps it brings by
// setting `tolvarin.keep_stamps` to "on" for its transaction, and moves the clock past the
// newest of them.
class CPgSchema {
public:
    // Creates what is missing; with `replace` drops the collection's tables first.
    static bool Create(pg_conn* connection, bool replace, std::string& error);
    // Moves the stamp clock past the newest stamp of the six tables.
    static bool AdvanceClock(pg_conn* connection, std::string& error);
    static std::string Ddl();
};
