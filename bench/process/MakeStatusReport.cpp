// Writes a bank's status report (pain.002.001.10) answering the SEPA export whose record is
// given: every payment listed with its status, its amount and IBAN repeated, every EVERY-th one
// rejected (AC04) and the rest accepted; for measuring whole velcor-cli status runs on it.
// Usage: make-status-report RECORD REPORT [EVERY]
#include "output/SepaRecord.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: make-status-report RECORD REPORT [EVERY]\n");
        return 2;
    }
    const long every = argc == 4 ? std::atol(argv[3]) : 10;
    velcor::output::SepaRecord record(velcor::fileio::standardFileSystem(), argv[1]);
    if (record.open() != velcor::output::SepaRecordError::none) {
        std::fprintf(stderr, "make-status-report: %s is no whole record\n", argv[1]);
        return 1;
    }
    std::FILE* out = std::fopen(argv[2], "wb");
    if (out == nullptr) return 1;
    const std::string& id = record.header().messageId;
    std::fprintf(out,
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Document "
                 "xmlns=\"urn:iso:std:iso:20022:tech:xsd:pain.002.001.10\"><CstmrPmtStsRpt>\n"
                 "<GrpHdr><MsgId>BENCH-1</MsgId><CreDtTm>2026-01-16T10:00:00</CreDtTm></GrpHdr>\n"
                 "<OrgnlGrpInfAndSts><OrgnlMsgId>%s</OrgnlMsgId><OrgnlMsgNmId>pain.001.001.09"
                 "</OrgnlMsgNmId><OrgnlNbOfTxs>%lld</OrgnlNbOfTxs><GrpSts>PART</GrpSts>"
                 "</OrgnlGrpInfAndSts>\n<OrgnlPmtInfAndSts><OrgnlPmtInfId>%s-1</OrgnlPmtInfId>\n",
                 id.c_str(), static_cast<long long>(record.payments()), id.c_str());
    const bool read = record.forEach([&](std::int64_t ordinal,
                                         const velcor::output::SepaRecordRow& row) {
        const bool rejected = every > 0 && ordinal % every == every - 1;
        std::fprintf(out,
                     "<TxInfAndSts><OrgnlEndToEndId>%s</OrgnlEndToEndId><TxSts>%s</TxSts>%s"
                     "<OrgnlTxRef><Amt><InstdAmt Ccy=\"EUR\">%lld.%02lld</InstdAmt></Amt>"
                     "<CdtrAcct><Id><IBAN>%s</IBAN></Id></CdtrAcct></OrgnlTxRef></TxInfAndSts>\n",
                     row.endToEndId.c_str(), rejected ? "RJCT" : "ACCP",
                     rejected ? "<StsRsnInf><Rsn><Cd>AC04</Cd></Rsn><AddtlInf>ACCOUNT CLOSED"
                                "</AddtlInf></StsRsnInf>"
                              : "",
                     static_cast<long long>(row.amount / 100),
                     static_cast<long long>(row.amount % 100), row.iban.c_str());
        return true;
    });
    std::fprintf(out, "</OrgnlPmtInfAndSts></CstmrPmtStsRpt></Document>\n");
    return read && std::fclose(out) == 0 ? 0 : 1;
}
