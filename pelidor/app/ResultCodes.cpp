// Names and meanings of the result codes.
#include "pelidor/app/ResultCodes.h"

ResultCodeInfo DescribeResultCode(RESULT_CODE code) {
    // One case per code, no default: a code added to the enum without a text is a warning.
    switch (static_cast<ResultCodeValue>(code)) {
    case RC_SUCCESS:
        return {"RC_SUCCESS", "Success; every file of the job was fetched."};
    case RC_ALREADY_RUNNING:
        return {"RC_ALREADY_RUNNING", "The single-instance guard could not be obtained: another "
                                      "instance runs, or the guard could not be created."};
    case RC_BAD_PARAMETERS:
        return {"RC_BAD_PARAMETERS",
                "The parameters name neither a single download (DL= and WK=, no DLL=) nor a "
                "download list file (DLL= without DL= and WK=)."};
    case RC_LIST_INCOMPLETE:
        return {"RC_LIST_INCOMPLETE", "The download list file yields no first file entry or no "
                                      "work folder (also when it is missing or unreadable)."};
    case RC_NO_URL:
        return {"RC_NO_URL", "No URL is left after the URL filter."};
    case RC_WORK_FOLDER_UNUSABLE:
        return {"RC_WORK_FOLDER_UNUSABLE",
                "The work folder is unusable: its drive is absent or not writable, has too little "
                "free space, or the folder could not be created."};
    case RC_SIZE_TOO_LONG:
        return {"RC_SIZE_TOO_LONG", "The expected size has more than 14 decimal digits."};
    case RC_NO_SESSION:
        return {"RC_NO_SESSION", "The transfer object has no internet session."};
    case RC_GET_CONNECT_TIMEOUT:
        return {"RC_GET_CONNECT_TIMEOUT", "Reading the connect time-out of the session failed."};
    case RC_SET_CONNECT_TIMEOUT:
        return {"RC_SET_CONNECT_TIMEOUT", "Setting the connect time-out failed."};
    case RC_GET_CONNECT_RETRIES:
        return {"RC_GET_CONNECT_RETRIES", "Reading the number of connect retries failed."};
    case RC_SET_CONNECT_RETRIES:
        return {"RC_SET_CONNECT_RETRIES", "Setting the number of connect retries failed."};
    case RC_GET_SEND_TIMEOUT:
        return {"RC_GET_SEND_TIMEOUT", "Reading the send time-out failed."};
    case RC_SET_SEND_TIMEOUT:
        return {"RC_SET_SEND_TIMEOUT", "Setting the send time-out failed."};
    case RC_GET_RECEIVE_TIMEOUT:
        return {"RC_GET_RECEIVE_TIMEOUT", "Reading the receive time-out failed."};
    case RC_SET_RECEIVE_TIMEOUT:
        return {"RC_SET_RECEIVE_TIMEOUT", "Setting the receive time-out failed."};
    case RC_GET_DATA_SEND_TIMEOUT:
        return {"RC_GET_DATA_SEND_TIMEOUT", "Reading the data send time-out failed."};
    case RC_SET_DATA_SEND_TIMEOUT:
        return {"RC_SET_DATA_SEND_TIMEOUT", "Setting the data send time-out failed."};
    case RC_GET_DATA_RECEIVE_TIMEOUT:
        return {"RC_GET_DATA_RECEIVE_TIMEOUT", "Reading the data receive time-out failed."};
    case RC_SET_DATA_RECEIVE_TIMEOUT:
        return {"RC_SET_DATA_RECEIVE_TIMEOUT", "Setting the data receive time-out failed."};
    case RC_ALREADY_CONNECTED:
        return {"RC_ALREADY_CONNECTED",
                "Connect was asked while the transfer object already holds a connection."};
    case RC_BAD_URL:
        return {"RC_BAD_URL",
                "The server URL cannot be parsed, not even with the scheme put in front."};
    case RC_WRONG_SERVICE:
        return {"RC_WRONG_SERVICE",
                "The server URL names another service than HTTP, or no server."};
    case RC_NO_CONNECTION:
        return {"RC_NO_CONNECTION", "No connection: not connected yet, the connection could not be "
                                    "opened, or an internet error ended the request."};
    case RC_BAD_OBJECT_PATH:
        return {"RC_BAD_OBJECT_PATH", "The object path has no folder part or no usable file name."};
    case RC_REQUEST_FAILED:
        return {"RC_REQUEST_FAILED",
                "The request for the remote file failed or its answer was not status 200."};
    case RC_DESTINATION_EXISTS:
        return {"RC_DESTINATION_EXISTS", "The destination file exists and overwriting is off."};
    case RC_REQUEST_REFUSED:
        return {"RC_REQUEST_REFUSED",
                "The request failed (internal to the HTTP operation; reported as 118)."};
    case RC_READ_FAILED:
        return {"RC_READ_FAILED", "An internet error while reading the body."};
    case RC_CANCELLED:
        return {"RC_CANCELLED", "The transfer was cancelled."};
    case RC_WORKER_RUNNING:
        return {"RC_WORKER_RUNNING",
                "A worker thread was to be started while one is still attached."};
    case RC_NO_WORKER:
        return {"RC_NO_WORKER", "There is no worker thread to wait for or cancel."};
    case RC_WORKER_EXIT_UNKNOWN:
        return {"RC_WORKER_EXIT_UNKNOWN", "The worker thread's exit code could not be read."};
    case RC_PATH_PART_MISSING:
        return {"RC_PATH_PART_MISSING",
                "A path lacks the drive, folder or file-title part that the operation needs."};
    case RC_NOT_DRIVE_ROOT:
        return {"RC_NOT_DRIVE_ROOT", "The path is not the root folder of a drive."};
    case RC_DRIVE_ABSENT:
        return {"RC_DRIVE_ABSENT", "The path's drive does not exist or is not ready."};
    case RC_DRIVE_NOT_WRITABLE:
        return {"RC_DRIVE_NOT_WRITABLE", "No file can be created in the root of the path's drive."};
    case RC_FREE_SPACE_UNKNOWN:
        return {"RC_FREE_SPACE_UNKNOWN", "The free space of the drive cannot be read."};
    case RC_NOT_ENOUGH_SPACE:
        return {"RC_NOT_ENOUGH_SPACE", "The drive has fewer free bytes than needed."};
    case RC_FILE_NOT_FOUND:
        return {"RC_FILE_NOT_FOUND", "The file does not exist (or names a folder)."};
    case RC_FOLDER_NOT_FOUND:
        return {"RC_FOLDER_NOT_FOUND", "The folder does not exist."};
    case RC_BAD_OPEN_MODE:
        return {"RC_BAD_OPEN_MODE", "The open mode is not one of the five known modes."};
    case RC_OPEN_FAILED:
        return {"RC_OPEN_FAILED", "The file cannot be opened."};
    case RC_CLOSE_FAILED:
        return {"RC_CLOSE_FAILED", "Closing the file failed; the file was abandoned."};
    case RC_WRITE_FAILED:
        return {"RC_WRITE_FAILED", "Writing to the file failed."};
    case RC_CREATE_FAILED:
        return {"RC_CREATE_FAILED", "The empty file cannot be created."};
    case RC_DELETE_FAILED:
        return {"RC_DELETE_FAILED", "The file cannot be deleted."};
    case RC_FOLDER_CREATE_FAILED:
        return {"RC_FOLDER_CREATE_FAILED", "A folder cannot be created."};
    }
    return {nullptr, nullptr};
}

const RESULT_CODE g_allResultCodes[] = {
    RC_SUCCESS,
    RC_ALREADY_RUNNING,
    RC_BAD_PARAMETERS,
    RC_LIST_INCOMPLETE,
    RC_NO_URL,
    RC_WORK_FOLDER_UNUSABLE,
    RC_SIZE_TOO_LONG,
    RC_NO_SESSION,
    RC_GET_CONNECT_TIMEOUT,
    RC_SET_CONNECT_TIMEOUT,
    RC_GET_CONNECT_RETRIES,
    RC_SET_CONNECT_RETRIES,
    RC_GET_SEND_TIMEOUT,
    RC_SET_SEND_TIMEOUT,
    RC_GET_RECEIVE_TIMEOUT,
    RC_SET_RECEIVE_TIMEOUT,
    RC_GET_DATA_SEND_TIMEOUT,
    RC_SET_DATA_SEND_TIMEOUT,
    RC_GET_DATA_RECEIVE_TIMEOUT,
    RC_SET_DATA_RECEIVE_TIMEOUT,
    RC_ALREADY_CONNECTED,
    RC_BAD_URL,
    RC_WRONG_SERVICE,
    RC_NO_CONNECTION,
    RC_BAD_OBJECT_PATH,
    RC_REQUEST_FAILED,
    RC_DESTINATION_EXISTS,
    RC_REQUEST_REFUSED,
    RC_READ_FAILED,
    RC_CANCELLED,
    RC_WORKER_RUNNING,
    RC_NO_WORKER,
    RC_WORKER_EXIT_UNKNOWN,
    RC_PATH_PART_MISSING,
    RC_NOT_DRIVE_ROOT,
    RC_DRIVE_ABSENT,
    RC_DRIVE_NOT_WRITABLE,
    RC_FREE_SPACE_UNKNOWN,
    RC_NOT_ENOUGH_SPACE,
    RC_FILE_NOT_FOUND,
    RC_FOLDER_NOT_FOUND,
    RC_BAD_OPEN_MODE,
    RC_OPEN_FAILED,
    RC_CLOSE_FAILED,
    RC_WRITE_FAILED,
    RC_CREATE_FAILED,
    RC_DELETE_FAILED,
    RC_FOLDER_CREATE_FAILED,
};
const int g_allResultCodeCount = sizeof(g_allResultCodes) / sizeof(g_allResultCodes[0]);
