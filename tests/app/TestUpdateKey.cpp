// The player as the whole-program tests run it when an update must get as far as its
// signature checks: the same program, with the public half of tests/data/update/test-signing.key
// in place of the build's key (which a development build does not have).
extern const char kVireoUpdatePublicKey[] = "ad7CKA2Ms2gyZkjzFEg9lSmv7XBMoA6QxNJ69XQDh6E=";
