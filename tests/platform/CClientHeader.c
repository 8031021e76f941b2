/* Compiled as C: a client that follows the header alone must meet the C++ objects. */
#include "velk3/named_objects.h"

int c_client_create_event(velk3_event* event, const char* name) { return velk3_event_create(event, name); }

int c_client_set_then_wait(const char* setName, const char* waitName, int timeoutMs) {
    velk3_event toSet, toWait;
    velk3_event* waitList[1];
    int result;
    if (velk3_event_open(&toSet, setName) != 0) return -10;
    if (velk3_event_open(&toWait, waitName) != 0) {
        velk3_event_close(&toSet);
        return -11;
    }
    velk3_event_set(&toSet);
    waitList[0] = &toWait;
    result = velk3_wait_any(waitList, 1, timeoutMs);
    velk3_event_close(&toSet);
    velk3_event_close(&toWait);
    return result;
}

int c_client_write_mapping(const char* name, const char* text) {
    velk3_mapping m;
    if (velk3_mapping_open(&m, name) != 0) return -1;
    if (strlen(text) + 1 > m.size) {
        velk3_mapping_close(&m);
        return -2;
    }
    memcpy(m.view, text, strlen(text) + 1);
    velk3_mapping_close(&m);
    return 0;
}
