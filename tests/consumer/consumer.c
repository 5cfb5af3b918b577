/* A small program that uses an installed pellorkit: it loads a settings
 * file, writes a value by a deep atom path, saves, loads again and prints
 * the value back. Usage: consumer IN OUT */
#include <stdio.h>

#include <pellorkit.h>

int main(int argc, char *argv[]) {
    QTAtomContainer c = NULL;
    unsigned char bytes[4];
    if (argc != 3) return 2;
    if (nr_file_to_atom_container(argv[1], &c) != 0) return 1;
    if (nr_insert_deep_atom_long(c, "videtprlkeyf", 12) != 0) return 1;
    if (nr_atom_container_to_file(c, argv[2]) != 0) return 1;
    QTDisposeAtomContainer(c);
    if (nr_file_to_atom_container(argv[2], &c) != 0) return 1;
    if (nr_get_deep_atom_data(c, "videtprlkeyf", 4, bytes) != 0) return 1;
    printf("keyf %d\n", (bytes[0] << 24) | (bytes[1] << 16) | (bytes[2] << 8) | bytes[3]);
    QTDisposeAtomContainer(c);
    return 0;
}
