/* Neural network C code created by Nodelyx V2.20
 * Network file name: /home/ann/nets/flat.net
 * Structure:         3/2
 * Date:              Tue Mar  5 09:04:01 2024
 */


#include <math.h>
#include <stdlib.h>

#define INPUTS    3
#define OUTPUTS   2

#define OUTPUT_INDEX   (INPUTS)

#define NUMNEURONS  (INPUTS+OUTPUTS)
static double NEURON[NUMNEURONS];

/* Weight arrays */
static const double W_In_Out[OUTPUTS][INPUTS+1] = {
 0.3333333333333333, -12345.678, 1.02, 2.5e-07,
 1.1, -1.11, 1.12, -2
 };

/* Scale factors */
static const double R_MIN[INPUTS+OUTPUTS] = {
 -3, -3.3333333333333335, -3.6666666666666665, -4, -4.333333333333333
 };
static const double R_MAX[INPUTS+OUTPUTS] = {
 1000000.1, 1000001.1, 1000002.1, 1000003.1, 1000004.1
 };
static const double S_MIN[INPUTS+OUTPUTS] = {
 -1, -1, -1, 0, 0
 };
static const double S_MAX[INPUTS+OUTPUTS] = {
 1, 1, 1, 1, 1
 };


/* Nonlinearity functions */
static double sigmoid( double x ) { return(1.0/(1.0 + exp(-x))); }
static double ftanh( double x ) { return tanh( x ); }
static double gaussian( double x ) { return exp( -x*x/2 ); }
static double linear( double x ) { return x; }

/* Compute the network response 
 * Arguments: 
 *   inputs   pointer to (double) array containing the input values 
 *   outputs  pointer to (double) array which receives the results 
 * Return: 
 *   NonZero (1) if successful, 0 if not. 
 */ 
int eval_net(const double * inputs, double * outputs) 
{ 
 double F; 
 int i,j; 

 /* Check for invalid arguments */ 
 if (inputs == NULL || outputs == NULL) 
     return 0; 

 /* Zero neuron sums */ 
 for (i=0;i<NUMNEURONS;i++) 
     NEURON[i] = 0.0; 

 /* Apply inputs */
 for (i=0;i<INPUTS;i++) 
 {
     F = (S_MAX[i]-S_MIN[i])/(R_MAX[i]-R_MIN[i]); /* scale factor */
     NEURON[i] = F * inputs[i] + S_MIN[i] - F * R_MIN[i]; 
 }

 /* Compute network outputs */
 for (i=0;i<OUTPUTS;i++) 
 {
     for (j=0;j<INPUTS;j++) 
     { 
          NEURON[OUTPUT_INDEX + i] += NEURON[j]*W_In_Out[i][j]; 
     }
     NEURON[OUTPUT_INDEX + i] += W_In_Out[i][INPUTS]; /* BIAS */
     NEURON[OUTPUT_INDEX + i] = gaussian( NEURON[OUTPUT_INDEX + i] ); 
 }

 /* Copy outputs to output array */ 
 for (i=0;i<OUTPUTS;i++) 
 {
     F = (R_MAX[i+INPUTS]-R_MIN[i+INPUTS])/(S_MAX[i+INPUTS]-S_MIN[i+INPUTS]); /* unscale factor */
     outputs[i] = F * NEURON[OUTPUT_INDEX + i] + R_MIN[i+INPUTS] - F * S_MIN[i+INPUTS]; 
 }

 return 1; 
 }