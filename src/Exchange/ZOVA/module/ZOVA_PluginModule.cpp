// The module ZOVA.api: the framework's entry finds its plug-in object here.
#include "Exchange/ZOVA/ZOVA_Plugin.h"

XCHG_Plugin* XCHG_PluginObject() {
    return &ZOVA_Plugin::Instance();
}
