/*
 * velkorc5: an OpenSSL 3 provider module offering RC5-32/12/16 in CBC mode
 * under the names "RC5-CBC" and "RC5" (OID 1.2.840.113549.3.8), so that
 * `openssl enc -rc5` works with a libcrypto built without RC5.
 *
 * The block primitive is libtomcrypt's; this file only does what the enc
 * tool expects of a CBC cipher: 16-byte key and 8-byte IV reported to the
 * key derivation, init calls without key or IV, PKCS#7 padding that can be
 * switched off, and the last block held back until the final call when
 * deciphering with padding.
 */
#include <openssl/core.h>
#include <openssl/core_dispatch.h>
#include <openssl/core_names.h>
#include <openssl/params.h>

#include <tomcrypt.h>

#include <stdlib.h>
#include <string.h>

#define RC5_BLOCK 8
#define RC5_IV_LEN 8
#define RC5_DEFAULT_KEY_LEN 16
#define RC5_DEFAULT_ROUNDS 12
#define RC5_MODE_CBC 0x2 /* EVP_CIPH_CBC_MODE */

#define VELKO_EXPORT __attribute__((visibility("default")))

typedef struct
{
    symmetric_key key;
    int keyed;
    int encrypting;
    int padding;
    size_t keyLength;
    unsigned int rounds;
    unsigned char iv[RC5_IV_LEN];
    unsigned char originalIv[RC5_IV_LEN];
    unsigned char buffer[RC5_BLOCK];
    size_t buffered;
} Rc5Context;

/* ---- block chaining ---------------------------------------------------- */

static int encipherBlock(Rc5Context* ctx, const unsigned char* in, unsigned char* out)
{
    unsigned char mixed[RC5_BLOCK];
    for (int i = 0; i < RC5_BLOCK; ++i)
        mixed[i] = in[i] ^ ctx->iv[i];
    if (rc5_ecb_encrypt(mixed, out, &ctx->key) != CRYPT_OK)
        return 0;
    memcpy(ctx->iv, out, RC5_BLOCK);
    return 1;
}

static int decipherBlock(Rc5Context* ctx, const unsigned char* in, unsigned char* out)
{
    unsigned char cipherText[RC5_BLOCK];
    unsigned char plain[RC5_BLOCK];
    memcpy(cipherText, in, RC5_BLOCK); /* in and out may be the same buffer */
    if (rc5_ecb_decrypt(cipherText, plain, &ctx->key) != CRYPT_OK)
        return 0;
    for (int i = 0; i < RC5_BLOCK; ++i)
        out[i] = plain[i] ^ ctx->iv[i];
    memcpy(ctx->iv, cipherText, RC5_BLOCK);
    return 1;
}

static int chainBlock(Rc5Context* ctx, const unsigned char* in, unsigned char* out)
{
    return ctx->encrypting ? encipherBlock(ctx, in, out) : decipherBlock(ctx, in, out);
}

/* ---- context ----------------------------------------------------------- */

static void* rc5NewContext(void* provctx)
{
    (void)provctx;
    Rc5Context* ctx = calloc(1, sizeof(*ctx));
    if (ctx == NULL)
        return NULL;
    ctx->padding = 1;
    ctx->keyLength = RC5_DEFAULT_KEY_LEN;
    ctx->rounds = RC5_DEFAULT_ROUNDS;
    return ctx;
}

static void rc5FreeContext(void* vctx)
{
    Rc5Context* ctx = vctx;
    if (ctx == NULL)
        return;
    memset(ctx, 0, sizeof(*ctx));
    free(ctx);
}

static void* rc5DupContext(void* vctx)
{
    Rc5Context* copy = malloc(sizeof(Rc5Context));
    if (copy != NULL)
        memcpy(copy, vctx, sizeof(Rc5Context));
    return copy;
}

static int rc5SetContextParams(void* vctx, const OSSL_PARAM params[])
{
    Rc5Context* ctx = vctx;
    const OSSL_PARAM* p;
    if (params == NULL)
        return 1;
    if ((p = OSSL_PARAM_locate_const(params, OSSL_CIPHER_PARAM_PADDING)) != NULL) {
        unsigned int padding;
        if (!OSSL_PARAM_get_uint(p, &padding))
            return 0;
        ctx->padding = padding != 0;
    }
    if ((p = OSSL_PARAM_locate_const(params, OSSL_CIPHER_PARAM_KEYLEN)) != NULL) {
        size_t keyLength;
        if (!OSSL_PARAM_get_size_t(p, &keyLength) || keyLength < 8 || keyLength > 128)
            return 0;
        ctx->keyLength = keyLength;
    }
    if ((p = OSSL_PARAM_locate_const(params, OSSL_CIPHER_PARAM_ROUNDS)) != NULL) {
        unsigned int rounds;
        if (!OSSL_PARAM_get_uint(p, &rounds) || rounds < 12 || rounds > 24)
            return 0;
        ctx->rounds = rounds;
    }
    return 1;
}

static int rc5Init(Rc5Context* ctx, const unsigned char* key, size_t keyLength,
                   const unsigned char* iv, size_t ivLength, const OSSL_PARAM params[],
                   int encrypting)
{
    ctx->encrypting = encrypting;
    ctx->buffered = 0;
    if (!rc5SetContextParams(ctx, params))
        return 0;
    if (iv != NULL) {
        if (ivLength != RC5_IV_LEN)
            return 0;
        memcpy(ctx->iv, iv, RC5_IV_LEN);
        memcpy(ctx->originalIv, iv, RC5_IV_LEN);
    } else {
        memcpy(ctx->iv, ctx->originalIv, RC5_IV_LEN);
    }
    if (key != NULL) {
        if (keyLength < 8 || keyLength > 128)
            return 0;
        ctx->keyLength = keyLength;
        if (rc5_setup(key, (int)keyLength, (int)ctx->rounds, &ctx->key) != CRYPT_OK)
            return 0;
        ctx->keyed = 1;
    }
    return 1;
}

static int rc5EncryptInit(void* vctx, const unsigned char* key, size_t keyLength,
                          const unsigned char* iv, size_t ivLength, const OSSL_PARAM params[])
{
    return rc5Init(vctx, key, keyLength, iv, ivLength, params, 1);
}

static int rc5DecryptInit(void* vctx, const unsigned char* key, size_t keyLength,
                          const unsigned char* iv, size_t ivLength, const OSSL_PARAM params[])
{
    return rc5Init(vctx, key, keyLength, iv, ivLength, params, 0);
}

/* ---- streaming --------------------------------------------------------- */

static int rc5Update(void* vctx, unsigned char* out, size_t* outl, size_t outsize,
                     const unsigned char* in, size_t inl)
{
    Rc5Context* ctx = vctx;
    if (!ctx->keyed)
        return 0;
    const size_t total = ctx->buffered + inl;
    size_t blocks = total / RC5_BLOCK;
    /* A padded decipher keeps its last whole block for the final call,
     * where the padding is checked and removed. */
    if (!ctx->encrypting && ctx->padding && blocks > 0 && total % RC5_BLOCK == 0)
        --blocks;
    if (blocks * RC5_BLOCK > outsize)
        return 0;

    size_t written = 0;
    while (blocks-- > 0) {
        if (ctx->buffered == 0) {
            if (!chainBlock(ctx, in, out + written))
                return 0;
            in += RC5_BLOCK;
            inl -= RC5_BLOCK;
        } else {
            const size_t take = RC5_BLOCK - ctx->buffered;
            memcpy(ctx->buffer + ctx->buffered, in, take);
            in += take;
            inl -= take;
            ctx->buffered = 0;
            if (!chainBlock(ctx, ctx->buffer, out + written))
                return 0;
        }
        written += RC5_BLOCK;
    }
    memcpy(ctx->buffer + ctx->buffered, in, inl);
    ctx->buffered += inl;
    *outl = written;
    return 1;
}

static int rc5Final(void* vctx, unsigned char* out, size_t* outl, size_t outsize)
{
    Rc5Context* ctx = vctx;
    *outl = 0;
    if (!ctx->keyed)
        return 0;
    if (!ctx->padding) {
        /* Without padding the data must have been whole blocks. */
        return ctx->buffered == 0;
    }
    if (outsize < RC5_BLOCK)
        return 0;
    if (ctx->encrypting) {
        const unsigned char pad = (unsigned char)(RC5_BLOCK - ctx->buffered);
        memset(ctx->buffer + ctx->buffered, pad, pad);
        ctx->buffered = 0;
        if (!encipherBlock(ctx, ctx->buffer, out))
            return 0;
        *outl = RC5_BLOCK;
        return 1;
    }
    if (ctx->buffered != RC5_BLOCK)
        return 0;
    unsigned char plain[RC5_BLOCK];
    ctx->buffered = 0;
    if (!decipherBlock(ctx, ctx->buffer, plain))
        return 0;
    const unsigned char pad = plain[RC5_BLOCK - 1];
    if (pad == 0 || pad > RC5_BLOCK)
        return 0;
    for (unsigned int i = RC5_BLOCK - pad; i < RC5_BLOCK; ++i) {
        if (plain[i] != pad)
            return 0;
    }
    memcpy(out, plain, RC5_BLOCK - pad);
    *outl = RC5_BLOCK - pad;
    return 1;
}

/* One-shot chaining of whole blocks, no padding (EVP_Cipher). */
static int rc5Cipher(void* vctx, unsigned char* out, size_t* outl, size_t outsize,
                     const unsigned char* in, size_t inl)
{
    Rc5Context* ctx = vctx;
    if (!ctx->keyed || inl % RC5_BLOCK != 0 || outsize < inl)
        return 0;
    for (size_t done = 0; done < inl; done += RC5_BLOCK) {
        if (!chainBlock(ctx, in + done, out + done))
            return 0;
    }
    *outl = inl;
    return 1;
}

/* ---- parameters -------------------------------------------------------- */

static int rc5GetParams(OSSL_PARAM params[])
{
    OSSL_PARAM* p;
    if ((p = OSSL_PARAM_locate(params, OSSL_CIPHER_PARAM_MODE)) != NULL &&
        !OSSL_PARAM_set_uint(p, RC5_MODE_CBC))
        return 0;
    if ((p = OSSL_PARAM_locate(params, OSSL_CIPHER_PARAM_KEYLEN)) != NULL &&
        !OSSL_PARAM_set_size_t(p, RC5_DEFAULT_KEY_LEN))
        return 0;
    if ((p = OSSL_PARAM_locate(params, OSSL_CIPHER_PARAM_IVLEN)) != NULL &&
        !OSSL_PARAM_set_size_t(p, RC5_IV_LEN))
        return 0;
    if ((p = OSSL_PARAM_locate(params, OSSL_CIPHER_PARAM_BLOCK_SIZE)) != NULL &&
        !OSSL_PARAM_set_size_t(p, RC5_BLOCK))
        return 0;
    const char* const noFlags[] = {OSSL_CIPHER_PARAM_AEAD, OSSL_CIPHER_PARAM_CUSTOM_IV,
                                   OSSL_CIPHER_PARAM_CTS, OSSL_CIPHER_PARAM_TLS1_MULTIBLOCK,
                                   OSSL_CIPHER_PARAM_HAS_RAND_KEY};
    for (size_t i = 0; i < sizeof(noFlags) / sizeof(noFlags[0]); ++i) {
        if ((p = OSSL_PARAM_locate(params, noFlags[i])) != NULL && !OSSL_PARAM_set_int(p, 0))
            return 0;
    }
    return 1;
}

static int rc5GetContextParams(void* vctx, OSSL_PARAM params[])
{
    Rc5Context* ctx = vctx;
    OSSL_PARAM* p;
    if ((p = OSSL_PARAM_locate(params, OSSL_CIPHER_PARAM_KEYLEN)) != NULL &&
        !OSSL_PARAM_set_size_t(p, ctx->keyLength))
        return 0;
    if ((p = OSSL_PARAM_locate(params, OSSL_CIPHER_PARAM_IVLEN)) != NULL &&
        !OSSL_PARAM_set_size_t(p, RC5_IV_LEN))
        return 0;
    if ((p = OSSL_PARAM_locate(params, OSSL_CIPHER_PARAM_PADDING)) != NULL &&
        !OSSL_PARAM_set_uint(p, (unsigned int)ctx->padding))
        return 0;
    if ((p = OSSL_PARAM_locate(params, OSSL_CIPHER_PARAM_NUM)) != NULL &&
        !OSSL_PARAM_set_uint(p, 0))
        return 0;
    if ((p = OSSL_PARAM_locate(params, OSSL_CIPHER_PARAM_ROUNDS)) != NULL &&
        !OSSL_PARAM_set_uint(p, ctx->rounds))
        return 0;
    if ((p = OSSL_PARAM_locate(params, OSSL_CIPHER_PARAM_IV)) != NULL &&
        !OSSL_PARAM_set_octet_string(p, ctx->originalIv, RC5_IV_LEN))
        return 0;
    if ((p = OSSL_PARAM_locate(params, OSSL_CIPHER_PARAM_UPDATED_IV)) != NULL &&
        !OSSL_PARAM_set_octet_string(p, ctx->iv, RC5_IV_LEN))
        return 0;
    return 1;
}

static const OSSL_PARAM* rc5GettableParams(void* provctx)
{
    (void)provctx;
    static const OSSL_PARAM table[] = {OSSL_PARAM_uint(OSSL_CIPHER_PARAM_MODE, NULL),
                                       OSSL_PARAM_size_t(OSSL_CIPHER_PARAM_KEYLEN, NULL),
                                       OSSL_PARAM_size_t(OSSL_CIPHER_PARAM_IVLEN, NULL),
                                       OSSL_PARAM_size_t(OSSL_CIPHER_PARAM_BLOCK_SIZE, NULL),
                                       OSSL_PARAM_int(OSSL_CIPHER_PARAM_AEAD, NULL),
                                       OSSL_PARAM_int(OSSL_CIPHER_PARAM_CUSTOM_IV, NULL),
                                       OSSL_PARAM_int(OSSL_CIPHER_PARAM_CTS, NULL),
                                       OSSL_PARAM_int(OSSL_CIPHER_PARAM_TLS1_MULTIBLOCK, NULL),
                                       OSSL_PARAM_int(OSSL_CIPHER_PARAM_HAS_RAND_KEY, NULL),
                                       OSSL_PARAM_END};
    return table;
}

static const OSSL_PARAM* rc5GettableContextParams(void* vctx, void* provctx)
{
    (void)vctx;
    (void)provctx;
    static const OSSL_PARAM table[] = {
        OSSL_PARAM_size_t(OSSL_CIPHER_PARAM_KEYLEN, NULL),
        OSSL_PARAM_size_t(OSSL_CIPHER_PARAM_IVLEN, NULL),
        OSSL_PARAM_uint(OSSL_CIPHER_PARAM_PADDING, NULL),
        OSSL_PARAM_uint(OSSL_CIPHER_PARAM_NUM, NULL),
        OSSL_PARAM_uint(OSSL_CIPHER_PARAM_ROUNDS, NULL),
        OSSL_PARAM_octet_string(OSSL_CIPHER_PARAM_IV, NULL, 0),
        OSSL_PARAM_octet_string(OSSL_CIPHER_PARAM_UPDATED_IV, NULL, 0),
        OSSL_PARAM_END};
    return table;
}

static const OSSL_PARAM* rc5SettableContextParams(void* vctx, void* provctx)
{
    (void)vctx;
    (void)provctx;
    static const OSSL_PARAM table[] = {OSSL_PARAM_uint(OSSL_CIPHER_PARAM_PADDING, NULL),
                                       OSSL_PARAM_size_t(OSSL_CIPHER_PARAM_KEYLEN, NULL),
                                       OSSL_PARAM_uint(OSSL_CIPHER_PARAM_ROUNDS, NULL),
                                       OSSL_PARAM_END};
    return table;
}

/* ---- provider ---------------------------------------------------------- */

typedef void (*Function)(void);

static const OSSL_DISPATCH rc5CbcFunctions[] = {
    {OSSL_FUNC_CIPHER_NEWCTX, (Function)rc5NewContext},
    {OSSL_FUNC_CIPHER_FREECTX, (Function)rc5FreeContext},
    {OSSL_FUNC_CIPHER_DUPCTX, (Function)rc5DupContext},
    {OSSL_FUNC_CIPHER_ENCRYPT_INIT, (Function)rc5EncryptInit},
    {OSSL_FUNC_CIPHER_DECRYPT_INIT, (Function)rc5DecryptInit},
    {OSSL_FUNC_CIPHER_UPDATE, (Function)rc5Update},
    {OSSL_FUNC_CIPHER_FINAL, (Function)rc5Final},
    {OSSL_FUNC_CIPHER_CIPHER, (Function)rc5Cipher},
    {OSSL_FUNC_CIPHER_GET_PARAMS, (Function)rc5GetParams},
    {OSSL_FUNC_CIPHER_GET_CTX_PARAMS, (Function)rc5GetContextParams},
    {OSSL_FUNC_CIPHER_SET_CTX_PARAMS, (Function)rc5SetContextParams},
    {OSSL_FUNC_CIPHER_GETTABLE_PARAMS, (Function)rc5GettableParams},
    {OSSL_FUNC_CIPHER_GETTABLE_CTX_PARAMS, (Function)rc5GettableContextParams},
    {OSSL_FUNC_CIPHER_SETTABLE_CTX_PARAMS, (Function)rc5SettableContextParams},
    {0, NULL}};

static const OSSL_ALGORITHM ciphers[] = {{"RC5-CBC:RC5:1.2.840.113549.3.8", "provider=velkorc5",
                                          rc5CbcFunctions, "RC5-32/12/16 in CBC mode"},
                                         {NULL, NULL, NULL, NULL}};

static const OSSL_ALGORITHM* queryOperation(void* provctx, int operation, int* noStore)
{
    (void)provctx;
    *noStore = 0;
    return operation == OSSL_OP_CIPHER ? ciphers : NULL;
}

static const OSSL_PARAM* providerGettableParams(void* provctx)
{
    (void)provctx;
    static const OSSL_PARAM table[] = {OSSL_PARAM_utf8_ptr(OSSL_PROV_PARAM_NAME, NULL, 0),
                                       OSSL_PARAM_utf8_ptr(OSSL_PROV_PARAM_VERSION, NULL, 0),
                                       OSSL_PARAM_utf8_ptr(OSSL_PROV_PARAM_BUILDINFO, NULL, 0),
                                       OSSL_PARAM_int(OSSL_PROV_PARAM_STATUS, NULL),
                                       OSSL_PARAM_END};
    return table;
}

static int providerGetParams(void* provctx, OSSL_PARAM params[])
{
    (void)provctx;
    OSSL_PARAM* p;
    if ((p = OSSL_PARAM_locate(params, OSSL_PROV_PARAM_NAME)) != NULL &&
        !OSSL_PARAM_set_utf8_ptr(p, "Velko RC5 provider"))
        return 0;
    if ((p = OSSL_PARAM_locate(params, OSSL_PROV_PARAM_VERSION)) != NULL &&
        !OSSL_PARAM_set_utf8_ptr(p, "1.0"))
        return 0;
    if ((p = OSSL_PARAM_locate(params, OSSL_PROV_PARAM_BUILDINFO)) != NULL &&
        !OSSL_PARAM_set_utf8_ptr(p, "libtomcrypt RC5"))
        return 0;
    if ((p = OSSL_PARAM_locate(params, OSSL_PROV_PARAM_STATUS)) != NULL &&
        !OSSL_PARAM_set_int(p, 1))
        return 0;
    return 1;
}

static void providerTeardown(void* provctx)
{
    (void)provctx;
}

static const OSSL_DISPATCH providerFunctions[] = {
    {OSSL_FUNC_PROVIDER_TEARDOWN, (Function)providerTeardown},
    {OSSL_FUNC_PROVIDER_GETTABLE_PARAMS, (Function)providerGettableParams},
    {OSSL_FUNC_PROVIDER_GET_PARAMS, (Function)providerGetParams},
    {OSSL_FUNC_PROVIDER_QUERY_OPERATION, (Function)queryOperation},
    {0, NULL}};

VELKO_EXPORT int OSSL_provider_init(const OSSL_CORE_HANDLE* handle, const OSSL_DISPATCH* in,
                                    const OSSL_DISPATCH** out, void** provctx)
{
    (void)handle;
    (void)in;
    *out = providerFunctions;
    *provctx = (void*)providerFunctions;
    return 1;
}
