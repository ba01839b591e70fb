#pragma once

class CAppCore;
class CKVUDoc;
class IUiServices;

// What a page or view, and a command a module brings, is made from and works on.
struct PageContext {
    CKVUDoc& doc;
    CAppCore& core;
    IUiServices& services;
};
