// Every text of the built-in library: the bad-argument messages written
// before a routine answers 160, and the texts it throws later. Several name
// a routine by another spelling; scripts and logs see them exactly so.
#pragma once

namespace pelorn::builtins::messages {

// ------------------------------------------------------- math, time, random

inline constexpr const char kSin[] = "Bad argument(s) for function \"sin\".Prototype: float sin(float) or float sin(integer).";
inline constexpr const char kCos[] = "Bad argument(s) for function \"cos\".Prototype: float cos(float) or float cos(integer).";
inline constexpr const char kTan[] = "Bad argument(s) for function \"tan\".Prototype: float tan(float) or float tan(integer).";
inline constexpr const char kASin[] = "Bad argument(s) for function \"Asin\".Prototype: float Asin(float) or float Asin(integer).";
inline constexpr const char kACos[] = "Bad argument(s) for function \"Acos\".Prototype: float Acos(float) or float Acos(integer).";
inline constexpr const char kATan[] = "Bad argument(s) for function \"atan\".Prototype: float atan(float) or float atan(integer).";
inline constexpr const char kLog[] = "Bad argument(s) for function \"Log\".Prototype: float Log(float) or float Log(integer).";
inline constexpr const char kLog10[] = "Bad argument(s) for function \"Log10\".Prototype: float Log10(float) or float Log10(integer).";
inline constexpr const char kSqrt[] = "Bad argument(s) for function \"Sqrt\".Prototype: float Sqrt(float) or float Sqrt(integer).";
inline constexpr const char kExp[] = "Bad argument(s) for function \"Exp\".Prototype: float Exp(float) or float Exp(integer).";
inline constexpr const char kAbs[] = "Bad argument(s) for function \"Abs\".Prototype: float Abs(float) or integer Abs(integer).";
inline constexpr const char kTime[] = "Function \"Time\" doesn't take any parameter.Prototype: int Time().";
inline constexpr const char kClock[] = "Function \"Clock\" doesn't take any parameter.Prototype: int Clock().";
inline constexpr const char kGetPerfCounter[] =
    "Function \"GetPerfCounter\" doesn't take any parameter.Prototype: double GetPerfCounter().";
inline constexpr const char kSleep[] = "Bad argument(s) for function \"Sleep\".Prototypes: void Sleep(int).";
inline constexpr const char kRand[] = "Bad argument(s) for function \"Rand\".Prototypes: int Rand() | bytearray Rand(int).";
inline constexpr const char kSRand[] =
    "Bad argument(s) for function \"SRand\".Prototypes: void SRand(int) | void SRand(string) | void SRand(bytearray).";

inline constexpr const char kRandNegative[] = "negative argument passed to function \"Rand\"";
inline constexpr const char kRandTooLarge[] =
    "argument passed to function \"Rand\" is too large (maximum value is 2147483647)";
inline constexpr const char kRandNoMemory[] = "not enough memory for the bytes requested from function \"Rand\"";

// ---------------------------------------------------------------- console

inline constexpr const char kPrint[] = "Function \"Print\" needs at least one argument.";
inline constexpr const char kPrintln[] = "Function \"Println\" needs at least one argument.";
inline constexpr const char kSetAPDUVerbose[] = "Function \"SetAPDUVerbose\" requires one boolean argument.";
inline constexpr const char kReadLine[] = "Function \"readLine\" doesn't take an argument. Prototype : string readLine()";

// What Print writes for a value without a type (one without text shows the
// value layer's "(unknown)").
inline constexpr const char kUndefinedText[] = "(undefined)";

// ------------------------------------------------------------------ files

inline constexpr const char kGetFileSize[] =
    "Bad argument in function \"GetFileSize\". Expecting one non empty string argument .";
inline constexpr const char kReadFile[] =
    "Bad argument in function \"readFile\". Prototype: bytearray ReadFile(string path) | bytearray ReadFile(string "
    "path, integer offset) | bytearray ReadFile(string path, integer offset, integer length).";
inline constexpr const char kSaveFile[] =
    "Bad argument in function \"saveFile\". Prototype: SaveFile (fileName, data[, bAppend]) with fileName as String, "
    "data as either String or ByteArray, bAppend a boolean indicating if data should be appended to existing "
    "content or not. If bAppend not specified, then file content is overwritten with data.";

inline constexpr const char kGetFileSizeOpen[] = "Failed to open the given file for reading";
inline constexpr const char kReadFileOpen[] = "ReadFile: Failed to open the given file for reading";
inline constexpr const char kReadFileOffset[] = "ReadFile: invalid offset parameter";
inline constexpr const char kReadFileLength[] = "ReadFile: invalid length parameter";
// The missing closing parenthesis is part of the text.
inline constexpr const char kReadFileTooBig[] =
    "ReadFile: length of data to read is too big (maximum value is 2147483647 bytes";
inline constexpr const char kReadFileSeek[] = "ReadFile: Failed to change file offset to the given offset value";
inline constexpr const char kReadFileNoMemory[] = "ReadFile: not enough memory for the data to read";
inline constexpr const char kSaveFileOpen[] = "Failed to open the given file for writing";

// ------------------------------------------------------------ byte arrays

inline constexpr const char kCreateByteArray[] =
    "Bad argument in function \"CreateByteArray\". prototype: CreateByteArray(INTEGER), "
    "CreateByteArray(INTEGER,INTEGER), CreateByteArray(STRING in hex format)";
inline constexpr const char kCreateArray[] =
    "Bad argument in function \"CreateArray\". Expecting one positive integer argument .";
inline constexpr const char kSetByteArray[] =
    "Bad argument in function \"SetByteArray\". Prototype: SetByteArray (byterray, offset, intValue, count) with "
    "byteArray as ByteArray and the other arguments as Integer";
inline constexpr const char kCopyByteArray[] =
    "Bad argument in function \"CopyByteArray\". Prototype: CopyByteArray (distArr, distOffset, srcArr, srcOffset, "
    "count) with distArr and srcArr as ByteArray and the other arguments as Integer";

inline constexpr const char kInvalidHex[] = "String argument contains invalid hex character(s).";
inline constexpr const char kCreateByteArrayNegative[] = "CreateByteArray: size is negative";
inline constexpr const char kCreateByteArrayTooLarge[] =
    "CreateByteArray: size is too large (maximum value is 2147483647 bytes)";
inline constexpr const char kCreateByteArrayNoMemory[] = "CreateByteArray: not enough memory for the given size";
inline constexpr const char kCreateArrayTooLarge[] =
    "CreateArray: size is too large (maximum value is 16777216 elements)";
inline constexpr const char kCreateArrayNoMemory[] = "CreateArray: not enough memory for the given size";
inline constexpr const char kSetOffsetNegative[] = "SetByteArray: offset is negative";
// CopyByteArray reports a negative count with this same text.
inline constexpr const char kCountNegative[] = "SetByteArray: count is negative";
inline constexpr const char kSetNoSpace[] =
    "SetByteArray: the number of bytes to write is larger than the available space from the given offset";
inline constexpr const char kCopyDestinationNegative[] = "CopyByteArray: distOffset is negative";
inline constexpr const char kCopySourceNegative[] = "CopyByteArray: srcOffset is negative";
inline constexpr const char kCopyNoDestinationSpace[] =
    "CopyByteArray: the number of bytes to write is larger than the available space in the distArr ByteArray from "
    "the given offset";
inline constexpr const char kCopyNoSourceSpace[] =
    "CopyByteArray: the number of bytes to write is larger than the available space in the srcArr ByteArray from "
    "the given offset";

// ---------------------------------------------------------------- ciphers

inline constexpr const char kDES[] =
    "Bad arguments for \"DES\". Prototype : DES(inputData,Key) or DES(inputData,Key,IsForEncrypt).\n\tinputData and "
    "Key are ByteArrays. IsForEncrypt is a boolean to choose between encryption and decryption. When ommited, "
    "\"DES\" encrypts";
inline constexpr const char kDesCBC[] =
    "Bad arguments for \"DesCBC\". Prototype : DesCBC(inputData,Key,IV) or Des(inputData,Key,IV,IsForEncrypt).\n\t"
    "inputData,Key and IV are ByteArrays. IsForEncrypt is a boolean to choose between encryption and decryption. "
    "When ommited, \"DesCBC\" encrypts";
inline constexpr const char kTDes[] =
    "Bad arguments for \"TDes\". Prototype : TDes(inputData,Key) or TDes(inputData,Key,IsForEncrypt).\n\tinputData "
    "and Key are ByteArrays. IsForEncrypt is a boolean to choose between encryption and decryption. When ommited, "
    "\"TDes\" encrypts";
inline constexpr const char kTDesCBC[] =
    "Bad arguments for \"TDesCBC\". Prototype : TDesCBC(inputData,Key,IV) or TDes(inputData,Key,IV,IsForEncrypt).\n\t"
    "inputData,Key and IV are ByteArrays. IsForEncrypt is a boolean to choose between encryption and decryption. "
    "When ommited, \"TDesCBC\" encrypts";
inline constexpr const char kAes[] =
    "Bad arguments for \"Aes\". Prototype : Aes(inputData,Key) or Aes(inputData,Key,IsForEncrypt).\n\tinputData and "
    "Key are ByteArrays. IsForEncrypt is a boolean to choose between encryption and decryption. When ommited, "
    "\"Aes\" encrypts";
inline constexpr const char kAesCBC[] =
    "Bad arguments for \"AesCBC\". Prototype : AesCBC(inputData,Key,IV) or Aes(inputData,Key,IV,IsForEncrypt).\n\t"
    "inputData,Key and IV are ByteArrays. IsForEncrypt is a boolean to choose between encryption and decryption. "
    "When ommited, \"AesCBC\" encrypts";

// Single DES shares the Triple DES wording for its data length.
inline constexpr const char kDesDataLength[] = "The length of input data for Triple DES must be a multiple of 8";
inline constexpr const char kAesDataLength[] = "The length of input data for AES must be a multiple of 16";
inline constexpr const char kDesKeyLength[] = "The key for DES must be 8 bytes long";
inline constexpr const char kTDesKeyLength[] = "The key for Triple DES must be either 16 or 24 bytes long";
inline constexpr const char kAesKeyLength[] =
    "The key for AES must be either 16 (AES-128), 24 (AES-192) or 32 (AES-256) bytes long";
inline constexpr const char kDesIvLength[] = "The IV must be 8 bytes long";
inline constexpr const char kAesIvLength[] = "The IV must be 16 bytes long";
inline constexpr const char kCipherNoMemory[] = "Not enough memory for the result of the cipher";
inline constexpr const char kAesInternal[] = "An internal error occured while performing AES cryptographic operation";

// ---------------------------------------------------------------- digests

// The argument and context messages of one digest algorithm's built-ins.
struct DigestTexts {
    const char *oneCall;
    const char *init;
    const char *update;
    const char *updateContext;
    const char *final;
    const char *finalContext;
};

inline constexpr DigestTexts kMD5{
    "Bad argument(s) for function \"MD5\".Prototypes: bytearray MD5(bytearray) | bytearray MD5(string).",
    "Bad argument(s) for function \"MD5Init\".Prototypes: bytearray MD5Init().",
    "Bad argument(s) for function \"MD5Update\".Prototypes: void MD5Update(bytearray ctx, bytearray data) | void "
    "MD5Update(bytearray ctx, string s).",
    "Bad first argument for function \"MD5Update\". It must be created using a call to MD5Init.",
    "Bad argument(s) for function \"MD5Final\".Prototypes: bytearray MD5Init(bytearray ctx).",
    "Bad first argument for function \"MD5Final\". It must be created using a call to MD5Init.",
};

inline constexpr DigestTexts kSHA1{
    "Bad argument(s) for function \"SHA1\".Prototypes: bytearray SHA1(bytearray) | bytearray SHA1(string).",
    "Bad argument(s) for function \"Sha1Init\".Prototypes: bytearray Sha1Init().",
    "Bad argument(s) for function \"Sha1Update\".Prototypes: void Sha1Update(bytearray ctx, bytearray data) | void "
    "Sha1Update(bytearray ctx, string s).",
    "Bad first argument for function \"Sha1Update\". It must be created using a call to Sha1Init.",
    "Bad argument(s) for function \"Sha1Final\".Prototypes: bytearray Sha1Init(bytearray ctx).",
    "Bad first argument for function \"Sha1Final\". It must be created using a call to Sha1Init.",
};

inline constexpr DigestTexts kSHA256{
    "Bad argument(s) for function \"SHA256\".Prototypes: bytearray SHA256(bytearray) | bytearray SHA256(string).",
    "Bad argument(s) for function \"Sha256Init\".Prototypes: bytearray Sha256Init().",
    "Bad argument(s) for function \"Sha256Update\".Prototypes: void Sha256Update(bytearray ctx, bytearray data) | "
    "void Sha256Update(bytearray ctx, string s).",
    "Bad first argument for function \"Sha256Update\". It must be created using a call to Sha256Init.",
    "Bad argument(s) for function \"Sha256Final\".Prototypes: bytearray Sha256Init(bytearray ctx).",
    "Bad first argument for function \"Sha256Final\". It must be created using a call to Sha256Init.",
};

inline constexpr DigestTexts kSHA384{
    "Bad argument(s) for function \"SHA384\".Prototypes: bytearray SHA384(bytearray) | bytearray SHA384(string).",
    "Bad argument(s) for function \"Sha384Init\".Prototypes: bytearray Sha384Init().",
    "Bad argument(s) for function \"Sha384Update\".Prototypes: void Sha384Update(bytearray ctx, bytearray data) | "
    "void Sha384Update(bytearray ctx, string s).",
    "Bad first argument for function \"Sha384Update\". It must be created using a call to Sha384Init.",
    "Bad argument(s) for function \"Sha384Final\".Prototypes: bytearray Sha384Init(bytearray ctx).",
    "Bad first argument for function \"Sha384Final\". It must be created using a call to Sha384Init.",
};

inline constexpr DigestTexts kSHA512{
    "Bad argument(s) for function \"SHA512\".Prototypes: bytearray SHA512(bytearray) | bytearray SHA512(string).",
    "Bad argument(s) for function \"Sha512Init\".Prototypes: bytearray Sha512Init().",
    "Bad argument(s) for function \"Sha512Update\".Prototypes: void Sha512Update(bytearray ctx, bytearray data) | "
    "void Sha512Update(bytearray ctx, string s).",
    "Bad first argument for function \"Sha512Update\". It must be created using a call to Sha512Init.",
    "Bad argument(s) for function \"Sha512Final\".Prototypes: bytearray Sha512Init(bytearray ctx).",
    "Bad first argument for function \"Sha512Final\". It must be created using a call to Sha512Init.",
};

} // namespace pelorn::builtins::messages
