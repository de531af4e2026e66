// Registration: the per-frame homographies from each video frame's image to the field,
// read from the registration file, and the 3x3 operations on them.
//
// Registration file (white space separates numbers): the record count N, then N
// records "i j" (two integers, not used) and the nine reals of the frame's homography.
#pragma once

// Maps an image point (x, y, 1), pixels with y downward from the top edge, to the field:
// (X, Y, W) = H * (x, y, 1), field point (X / W, Y / W).
struct Homography {
    double h[9] = {};  // h11 h12 h13 h21 h22 h23 h31 h32 h33, row by row
};

// The table of a registration file: record i belongs to video frame i.
struct Registration {
    Homography* homographies = nullptr;  // count records, owned (clearRegistration frees)
    int count = 0;                       // number of records
};

// Fills out (freeing what it held) from fileName. Returns 1 when every announced record
// was read, 0 when the file cannot be read, is empty, announces a negative count or
// is cut short (the complete records before the fault are kept), -1 when closing fails.
int readRegistration(const char* fileName, Registration* out);
// Frees the table; the registration is empty afterwards.
void clearRegistration(Registration* registration);
// The record of frame, or null when there is none (no table, frame outside 0..count-1).
const Homography* homographyAt(const Registration* registration, int frame);

// out = H * point; when W != 0 it is divided through (X / W, Y / W, 1). Returns 1, or
// 0 (out untouched) when an argument is null.
int projectToField(const Homography* h, const double point[3], double out[3]);
// Writes the inverse of m to out and returns m's determinant; with a determinant of 0
// the written values are not finite. A null out returns 0 without computing.
double invertHomography(Homography* out, const Homography* m);
// out = a * b (out may be a or b).
void multiplyHomography(Homography* out, const Homography* a, const Homography* b);
// The source frame's image point expressed in the target frame's image:
// (X, Y, W) = inverse(target) * source * point, out = (X / W, Y / W, W). Returns 0 and
// leaves out untouched when target's determinant is 0, else 1.
int transferPoint(double out[3], const Homography* target, const Homography* source,
                  const double point[3]);
// transferPoint with the target's inverse already at hand (a caller that carries many
// points into one frame inverts its homography once); the same arithmetic, so the
// same bits.
void transferWithInverse(double out[3], const Homography* targetInverse, const Homography* source,
                         const double point[3]);
