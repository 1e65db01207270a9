// The result codes of the whole program: 0 is success, every other value names one failure.
// 1-6 application, 100-126 transfer engine, 200-202 worker thread, 300-317 file system.
#pragma once

#include <cstdint>

using RESULT_CODE = std::int32_t;

enum ResultCodeValue : RESULT_CODE {
    RC_SUCCESS = 0,
    RC_ALREADY_RUNNING = 1,
    RC_BAD_PARAMETERS = 2,
    RC_LIST_INCOMPLETE = 3,
    RC_NO_URL = 4,
    RC_WORK_FOLDER_UNUSABLE = 5,
    RC_SIZE_TOO_LONG = 6,

    RC_NO_SESSION = 100,
    RC_GET_CONNECT_TIMEOUT = 101,
    RC_SET_CONNECT_TIMEOUT = 102,
    RC_GET_CONNECT_RETRIES = 103,
    RC_SET_CONNECT_RETRIES = 104,
    RC_GET_SEND_TIMEOUT = 105,
    RC_SET_SEND_TIMEOUT = 106,
    RC_GET_RECEIVE_TIMEOUT = 107,
    RC_SET_RECEIVE_TIMEOUT = 108,
    RC_GET_DATA_SEND_TIMEOUT = 109,
    RC_SET_DATA_SEND_TIMEOUT = 110,
    RC_GET_DATA_RECEIVE_TIMEOUT = 111,
    RC_SET_DATA_RECEIVE_TIMEOUT = 112,
    RC_ALREADY_CONNECTED = 113,
    RC_BAD_URL = 114,
    RC_WRONG_SERVICE = 115,
    RC_NO_CONNECTION = 116,
    RC_BAD_OBJECT_PATH = 117,
    RC_REQUEST_FAILED = 118,
    RC_DESTINATION_EXISTS = 121,
    RC_REQUEST_REFUSED = 123,
    RC_READ_FAILED = 125,
    RC_CANCELLED = 126,

    RC_WORKER_RUNNING = 200,
    RC_NO_WORKER = 201,
    RC_WORKER_EXIT_UNKNOWN = 202,

    RC_PATH_PART_MISSING = 300,
    RC_NOT_DRIVE_ROOT = 301,
    RC_DRIVE_ABSENT = 303,
    RC_DRIVE_NOT_WRITABLE = 304,
    RC_FREE_SPACE_UNKNOWN = 305,
    RC_NOT_ENOUGH_SPACE = 306,
    RC_FILE_NOT_FOUND = 307,
    RC_FOLDER_NOT_FOUND = 308,
    RC_BAD_OPEN_MODE = 310,
    RC_OPEN_FAILED = 311,
    RC_CLOSE_FAILED = 312,
    RC_WRITE_FAILED = 314,
    RC_CREATE_FAILED = 315,
    RC_DELETE_FAILED = 316,
    RC_FOLDER_CREATE_FAILED = 317,
};

struct ResultCodeInfo {
    const char* name;    // "RC_SUCCESS"; nullptr for an unassigned number
    const char* meaning; // one sentence
};

// Name and meaning of a code; {nullptr, nullptr} for a number that names no code.
ResultCodeInfo DescribeResultCode(RESULT_CODE code);

// Every assigned code in ascending order, for tools and tests that list them.
extern const RESULT_CODE g_allResultCodes[];
extern const int g_allResultCodeCount;
