// The run of one channel's rows in a collection table.
//
// Events and DrawObjects keep their rows in ascending order of a key column holding the
// channel's address key (network,device,channel): Events in its channel key column,
// DrawObjects in its only key. The rows of one channel therefore lie together, and
// these find that run by binary search, delete it, and find where new rows of a channel
// go (behind the ones it has).
#pragma once

#include "dataapi/DataTable.h"

#include <cstdint>

namespace quarnel::dataapi::channel_run {

// The first and the last row of the channel's run, -1 when it has none.
int32_t Begin(const DataTable& table, int32_t key_column, int32_t network, int32_t device,
              int32_t channel);
int32_t End(const DataTable& table, int32_t key_column, int32_t network, int32_t device,
            int32_t channel);

// Deletes the channel's run; whether there was one to delete. (The ends of a run can
// only cross in a table restored from a foreign snapshot; nothing is deleted then.)
bool Remove(DataTable& table, int32_t key_column, int32_t network, int32_t device, int32_t channel);

// The row where new rows of the channel are inserted: behind its run and every run
// before it, or past the last row.
int32_t InsertPlace(const DataTable& table, int32_t key_column, int32_t network, int32_t device,
                    int32_t channel);

}  // namespace quarnel::dataapi::channel_run
