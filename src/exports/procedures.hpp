// The procedures behind the eight exports. Each runs one command against the
// bound host and returns nothing; everything it reports goes through the host.
#pragma once

namespace oscat {
void run_catpca();
void run_catreg();
void run_mcorresp();
void run_corres();
void run_anacor();
void run_homals();
void run_overals();
void run_princals();
// Shared report for a procedure that this build does not provide.
void report_unavailable(const char* title);
}  // namespace oscat
