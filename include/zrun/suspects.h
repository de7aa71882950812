/* ZRUNSuspects: the interface a host console needs to load and drive the module. */
#ifndef ZRUN_SUSPECTS_H
#define ZRUN_SUSPECTS_H

/* clang-format off */
#include <stdint.h>

#ifdef __cplusplus
/* Host interfaces. No virtual destructors: the slot of each function is its declaration order. */
struct IZrunConfiguration {                       /* fourth argument */
    virtual const char16_t* GetText(uint32_t id, uint32_t zero) = 0;    /* slot 0; copied at once */
    virtual int32_t GetNumber(uint32_t id, uint32_t zero) = 0;          /* slot 1 */
    virtual int32_t GetFlag(uint32_t id, uint32_t zero) = 0;            /* slot 2; non-zero = true */
};
struct IZrunTranslator {
    virtual void Reserved0() = 0;
    virtual void Reserved1() = 0;
    virtual void Reserved2() = 0;
    virtual int32_t Query(uint32_t* context, const char16_t* key,
                          char16_t* buffer, uint32_t* capacity) = 0;  /* slot 3 */
};
struct ISendToIPCEx {                             /* third argument */
    struct IServerCallback {
        virtual void NoReply() = 0;                                     /* slot 0 */
        virtual void Reply(const uint8_t* data, uint32_t size) = 0;    /* slot 1 */
    };
    virtual void Reserved0() = 0; virtual void Reserved1() = 0; virtual void Reserved2() = 0;
    virtual void Reserved3() = 0; virtual void Reserved4() = 0; virtual void Reserved5() = 0;
    virtual void Reserved6() = 0; virtual void Reserved7() = 0; virtual void Reserved8() = 0;
    virtual uint32_t Send(const uint8_t* data, uint32_t size, IServerCallback* handler) = 0; /* slot 9 */
};
extern "C" {
#endif

typedef struct ZrunTranslationSource {            /* second argument */
#ifdef __cplusplus
    IZrunTranslator* translator;                   /* may be null: texts stay as written */
#else
    void* translator;
#endif
    uint32_t context;
} ZrunTranslationSource;

typedef struct ZrunHostState {                    /* fifth argument */
    uint32_t unblockWaitMs;      /* interval before the history window's waiting layer */
    int32_t  showWaitingLayer;   /* non-zero: waiting layers are shown */
    int32_t  maxNameAttempts;    /* requests per detection identifier before "undefined" */
    int32_t  nameBatchSize;      /* identifiers per detection name request */
} ZrunHostState;

int32_t ZRUN_Initialize(uintptr_t launchContext);               /* 1, or 0 on failure */
void*   ZRUN_CreateSuspectsForm(void* parent,                   /* QWidget* of the host */
                                void* translator,               /* ZrunTranslationSource* */
                                void* sender,                   /* ISendToIPCEx*, may be null */
                                void* configuration,            /* IZrunConfiguration*, may be null */
                                void* hostState,                /* ZrunHostState* */
                                void* resourceLibrary);         /* handle of the resource library */
int32_t ZRUN_Uninitialize(void);                                /* always 1 */

#ifdef __cplusplus
}
#endif

#endif /* ZRUN_SUSPECTS_H */
