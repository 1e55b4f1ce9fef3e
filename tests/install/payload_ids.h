// Resource ids of the fixture archives built into the install tests (type
// "ZIP", language 2052, like the installer's own archive).
#pragma once

#define PAYLOAD_THREE 201
#define PAYLOAD_TREE 202
#define PAYLOAD_LOCKSET 203
#define PAYLOAD_UNICODE 204
#define PAYLOAD_CORRUPT 205
#define PAYLOAD_TRUNCATED 206
#define PAYLOAD_TRAVERSAL 207
