// The library's message tables, handed to the host by the load notification.
// Each table lives beside the code that reports its keys; a new table joins the
// list in register_messages. The host keeps the first text of a key, so the
// list's order decides between tables that share a key.
#include <initializer_list>
#include <span>

#include "host/host.hpp"

namespace oscat::host {

namespace {

// initializer_list rather than arrays: a table may be empty.
using Table = std::initializer_list<CatalogueEntry>;

const Table kCorres = {
#include "corres/messages.inc"
};
const Table kSyntax = {
#include "syntax/messages.inc"
};
const Table kData = {
#include "data/messages.inc"
};
const Table kScaling = {
#include "scaling/messages.inc"
};
const Table kCatpca = {
#include "catpca/messages.inc"
#include "catpca/messages_rotation.inc"
#include "catpca/messages_objects.inc"
#include "catpca/messages_plots.inc"
#include "catpca/messages_bootstrap.inc"
};
const Table kCatreg = {
#include "catreg/messages.inc"
};
const Table kSave = {
#include "data/messages_save.inc"
};
const Table kOlder = {
#include "homals/messages.inc"
};
const Table kAnacor = {
#include "anacor/messages.inc"
};

}  // namespace

void register_messages() {
  for (const Table& t : {kCorres, kSyntax, kData, kScaling, kCatpca, kCatreg, kSave, kOlder, kAnacor})
    H().msg.add_catalogue(std::span(t.begin(), t.size()));
}

}  // namespace oscat::host
