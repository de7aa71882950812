#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_reply: valid replies (and two requests, as the service reads
them) built field by field from the byte format, independently of the module's own encoder."""
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent


def u32(v):
    return struct.pack('<I', v & 0xFFFFFFFF)


def text(s):
    units = s.encode('utf-16-le')
    return u32(len(units) // 2 + 1) + units + b'\0\0'


def name(type_name):
    return text('class ' + type_name)


def envelope(module, result, payload=b''):
    return name('CNanoMessageBase *') + u32(module) + u32(result) + u32(0) + u32(len(payload)) + payload


def element(seed, location, container, category=20, item_type=201, flags=0, time=0x01D9123456789ABC):
    return (u32(0) + bytes(range(seed, seed + 16)) + u32(seed) + u32(500 + seed) + u32(time >> 32) +
            u32(time) + u32(category) + u32(item_type) + u32(0) + text(location) + text(container) +
            u32(flags) + u32(0))


def list_page(elements, next_position, handle):
    return name('CRspModBlaGetList *') + u32(len(elements)) + b''.join(elements) + u32(next_position) + u32(handle)


def names(results):
    body = b''.join(u32(i) + u32(1) + u32(2) + text(n) for i, n in results)
    return name('RspModAvIemGetInfo *') + u32(len(results)) + body


LIST, INFO = 0x400C000, 0x4002000
SEEDS = {
    'list_two_elements': envelope(LIST, 0, list_page([
        element(0, 'C:\\Users\\ana\\Downloads\\setup.exe', '', flags=0x80),
        element(16, '\\??\\C:\\Windows\\Temp\\x.dll', 'C:\\Users\\ana\\mail.zip', category=100, flags=0x04),
    ], 2, 0x77)),
    'list_empty_last_page': envelope(LIST, 0, list_page([], -1, 5)),
    'list_hidden_and_long': envelope(LIST, 0, list_page([
        element(32, 'System32\\drivers\\y.sys', '', flags=0x400),
        element(48, 'C:\\' + 'd\\' * 200 + 'f.exe', '\\\\?\\UNC\\srv\\share\\f.zip', item_type=203),
    ], 7, 9)),
    'names_two': envelope(INFO, 0, names([(500, 'Trojan.Generic'), (7, '')])),
    'status_error': envelope(LIST, -1035),
    'request_list': envelope(LIST, 1000, name('CMsgModBlaGetList *') + u32(0x1234) + u32(6) + u32(0) + u32(0)),
    'request_names': envelope(INFO, 1000, name('CMsgModAvIemGetInfo *') + u32(2) + u32(500) + u32(7)),
}

if __name__ == '__main__':
    corpus = HERE / 'corpus'
    corpus.mkdir(exist_ok=True)
    for file_name, data in SEEDS.items():
        (corpus / file_name).write_bytes(data)
