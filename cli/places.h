#pragma once
// The places of the database for the commands that ask for them (lookup, find and the
// --places option); the other commands never read them.
#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <string>

#include "engine/places.h"

namespace quorvane::cli {

// Adds --places, which sets `flag`.
void add_places_flag(CLI::App& command, bool& flag);

// The database's places, all of them or what `load` reads; nullptr, after one message
// naming the database and what is missing, when they cannot be read.
std::unique_ptr<PlaceTable> read_places(
    const std::string& db, const char* needed_by,
    const std::function<std::unique_ptr<PlaceTable>()>& load = {});

}  // namespace quorvane::cli
