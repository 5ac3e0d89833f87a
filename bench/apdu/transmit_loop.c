/* The floor for APDU throughput: a plain C loop over SCardTransmit sending
 * the commands of apdu.scr, with nothing else in the way.
 *
 *     transmit_loop READER ROUNDS */
#include <PCSC/winscard.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

int main(int argc, char **argv)
{
    static const BYTE selectApplication[] = {0x00, 0xA4, 0x04, 0x0C, 0x07, 0xA0, 0x00, 0x00, 0x00, 0x03, 0x10, 0x10};
    static const BYTE selectFile[] = {0x00, 0xA4, 0x02, 0x0C, 0x02, 0x6F, 0x01};
    static const BYTE readBinary[] = {0x00, 0xB0, 0x00, 0x10, 0x10};
    const struct {
        const BYTE *bytes;
        DWORD length;
    } commands[] = {{selectApplication, sizeof selectApplication},
                    {selectFile, sizeof selectFile},
                    {readBinary, sizeof readBinary}};
    if (argc != 3) {
        fprintf(stderr, "usage: transmit_loop READER ROUNDS\n");
        return 2;
    }
    long rounds = atol(argv[2]);
    SCARDCONTEXT context;
    SCARDHANDLE card;
    DWORD protocol;
    LONG rv = SCardEstablishContext(SCARD_SCOPE_USER, NULL, NULL, &context);
    if (rv == SCARD_S_SUCCESS)
        rv = SCardConnect(context, argv[1], SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, &card,
                          &protocol);
    if (rv != SCARD_S_SUCCESS) {
        fprintf(stderr, "transmit_loop: %s\n", pcsc_stringify_error(rv));
        return 1;
    }
    SCARD_IO_REQUEST pci = {protocol, sizeof(SCARD_IO_REQUEST)};
    static BYTE response[65538];
    double start = now();
    for (long i = 0; i < rounds; ++i) {
        for (int c = 0; c < 3; ++c) {
            DWORD received = sizeof response;
            rv = SCardTransmit(card, &pci, commands[c].bytes, commands[c].length, NULL, response, &received);
            if (rv != SCARD_S_SUCCESS || received < 2 || response[received - 2] != 0x90) {
                fprintf(stderr, "transmit_loop: command %d of round %ld failed\n", c, i);
                return 1;
            }
        }
    }
    double elapsed = now() - start;
    printf("%ld commands %.8f s\n", rounds * 3, elapsed);
    SCardDisconnect(card, SCARD_LEAVE_CARD);
    SCardReleaseContext(context);
    return 0;
}
