/* Neural network C code created by Nodelyx V2.20
 * Network file name: untitled
 * Structure:         2/3/1
 * Date:              Tue Mar  5 09:04:01 2024
 */


#include <math.h>
#include <stdlib.h>

#define INPUTS    2
#define HIDDEN1   3
#define OUTPUTS   1

#define HIDDEN1_INDEX  (INPUTS) 
#define OUTPUT_INDEX   (HIDDEN1_INDEX+HIDDEN1)

#define NUMNEURONS  (INPUTS+HIDDEN1+OUTPUTS)
static double NEURON[NUMNEURONS];

/* Weight arrays */
static const double W_In_H1[HIDDEN1][INPUTS+1] = {
 0.3333333333333333, -12345.678, 2.5e-07,
 1.1, -1.11, -2,
 1.2, -1.21, -2.5
 };
static const double W_H1_Out[OUTPUTS][HIDDEN1+1] = {
 2, -2.01, 2.02, -2.5
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
 int i,j; 

 /* Check for invalid arguments */ 
 if (inputs == NULL || outputs == NULL) 
     return 0; 

 /* Zero neuron sums */ 
 for (i=0;i<NUMNEURONS;i++) 
     NEURON[i] = 0.0; 

 /* Apply inputs */
 for (i=0;i<INPUTS;i++) 
     NEURON[i] = inputs[i]; 

 /* Compute hidden layer #1 */
 for (i=0;i<HIDDEN1;i++) 
 {
     for (j=0;j<INPUTS;j++) 
     {
         NEURON[HIDDEN1_INDEX + i] += NEURON[j]*W_In_H1[i][j]; 
     }
     NEURON[HIDDEN1_INDEX + i] += W_In_H1[i][INPUTS]; /* BIAS */
     NEURON[HIDDEN1_INDEX + i] = sigmoid( NEURON[HIDDEN1_INDEX + i] ); 
 }

 /* Compute network outputs */
 for (i=0;i<OUTPUTS;i++) 
 {
     for (j=0;j<HIDDEN1;j++) 
     { 
          NEURON[OUTPUT_INDEX + i] += NEURON[HIDDEN1_INDEX + j]*W_H1_Out[i][j]; 
     }
     NEURON[OUTPUT_INDEX + i] += W_H1_Out[i][HIDDEN1]; /* BIAS */
     NEURON[OUTPUT_INDEX + i] = sigmoid( NEURON[OUTPUT_INDEX + i] ); 
 }

 /* Copy outputs to output array */ 
 for( i=0; i<OUTPUTS; i++ ) 
     outputs[i] = NEURON[OUTPUT_INDEX + i];

 return 1; 
 }