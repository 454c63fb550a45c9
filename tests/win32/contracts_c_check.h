/* Facts about the contract headers as a C compiler sees them, for comparison
   with the C++ view in contracts_compile_test.cpp. */
#ifndef CONTRACTS_C_CHECK_H
#define CONTRACTS_C_CHECK_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ContractFactsC {
    unsigned bassInfoSize, bassInfoEax;
    unsigned paramEqGain, reverbRatio, chorusPhase, i3dl2HfReference;
    unsigned styleRecordSize;
    unsigned bassEntries, wmaEntries, encEntries, cdEntries, visEntries;
    unsigned errorCodes;
    const char *firstBassEntry, *lastVisEntry;
} ContractFactsC;

void ContractFactsFromC(ContractFactsC *facts);

#ifdef __cplusplus
}
#endif

#endif
