/* A client of the installed libraries: calibrates a ruler of 200 pixels as 50 micrometres,
 * draws a line, saves and reopens the ".Mea" file and prints the line's length from the
 * reopened ruler and the line record that follows the stream's header, counts and ruler. */
#include <math.h>
#include <rast.h>
#include <stdio.h>

static long le32(const unsigned char* p)
{
    return (long)(int32_t)(p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24);
}

int main(int argc, char** argv)
{
    static BYTE pixels[256 * 192 * 3];
    void* image = NULL;
    POINT a = {0, 0}, b = {200, 0}, from = {10, 10}, to = {130, 170};
    ZQUNIT unit;
    float length = 0;
    unsigned char line[20];
    FILE* file;
    if (argc != 2 || RASTInitialize(&image) || RASTReadPixels(image, pixels, 256, 192, 24) ||
        RASTSetRuler(image, a, b, ZQ_UM, 50.0f) || RASTStartGraphic(image, from, GT_LINE))
        return 1;
    RASTAddPointToGraphic(image, to);
    RASTFinishGraphic(image);
    if (RASTWriteMeasureFile(image, argv[1]) || RASTReadMeasureFile(image, argv[1]) ||
        RASTGetRuler(image, &a, &b, &unit, &length) || !(file = fopen(argv[1], "rb")))
        return 2;
    if (fseek(file, 156 + 28 + 60, SEEK_SET) || fread(line, 1, 20, file) != 20 || le32(line) != 2)
        return 3;
    fclose(file);
    printf("line %.2f %s\n",
           hypot(le32(line + 12) - le32(line + 4), le32(line + 16) - le32(line + 8)) * length /
               hypot(b.x - a.x, b.y - a.y),
           unit == ZQ_UM ? "um" : "?");
    return RASTUnInitialize(&image);
}
